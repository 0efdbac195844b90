#pragma once
// The script the browser window runs in every page, in a world of its own that the page's own
// scripts cannot see: it binds the elements of a page with meta "version" 2 or more to the
// program through the web channel, as the page commands describe.

#include <QString>

QString PageBindingScript();
