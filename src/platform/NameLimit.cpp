#include "platform/NameLimit.h"

#include "platform/PathCodec.h"

#include <climits>

#include <unistd.h>

namespace FileSystem {

int NameLimitBytes(const QString& folder) {
    const long limit = pathconf(PathCodec::Encode(folder).constData(), _PC_NAME_MAX);
    return limit > 0 && limit < INT_MAX ? static_cast<int>(limit) : NAME_MAX;
}

}  // namespace FileSystem
