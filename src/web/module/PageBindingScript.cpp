#include "web/module/PageBindingScript.h"

#include <QFile>

namespace {
const char* const kBinder = R"JS(
(function () {
  if (typeof qt === 'undefined' || !qt.webChannelTransport || typeof QWebChannel === 'undefined') return;
  function meta(name) {
    var all = document.getElementsByTagName('meta');
    for (var i = 0; i < all.length; ++i)
      if ((all[i].getAttribute('name') || '').toLowerCase() === name) return all[i].getAttribute('content');
    return null;
  }
  var version = parseInt(meta('version') || '0', 10);
  if (!(version >= 2)) return;
  var base = meta('baseform') || 'frmMain';
  new QWebChannel(qt.webChannelTransport, function (channel) {
    var program = channel.objects.tandor;
    var elements = document.querySelectorAll('input, a');
    Array.prototype.forEach.call(elements, function (el) {
      var name = el.getAttribute('name');
      var form = el.getAttribute('form') || base;
      var index = el.getAttribute('index') || '';
      var type = (el.getAttribute('type') || '').toLowerCase();
      if (!name) {
        if (el.hasAttribute('command'))
          el.addEventListener('click', function () { program.dispatchCommand(form, el.getAttribute('command')); });
        return;
      }
      program.bindElement(form, name, index, function (state) {
        if (!state || !state.exists) return;
        if (type === 'checkbox' || type === 'radio') el.checked = !!state.checked;
        if (!state.enabled) el.disabled = true;
        if (!el.hasAttribute('command')) el.setAttribute('command', 'click');
        el.addEventListener('click', function () {
          program.dispatchControl(form, name, index, el.getAttribute('command') || '', !!el.checked, type);
        });
        el.setAttribute('data-bound', '1');
      });
    });
  });
})();
)JS";
}  // namespace

QString PageBindingScript() {
    QFile channelScript(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    QString script;
    if (channelScript.open(QIODevice::ReadOnly)) script = QString::fromUtf8(channelScript.readAll());
    return script + QLatin1Char('\n') + QString::fromUtf8(kBinder);
}
