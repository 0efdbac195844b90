#include "web/WebLog.h"

Q_LOGGING_CATEGORY(lcWeb, "tandor.web")
