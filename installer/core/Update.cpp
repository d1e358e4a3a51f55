#include "core/Update.h"

namespace installer {

bool ShouldUpdateClient(const ClientFile& source, const ClientFile& installed) {
    if (!source.size) {
        return false;
    }
    if (source.version && installed.version && *source.version != *installed.version) {
        return *source.version > *installed.version;
    }
    return installed.size && *source.size > *installed.size;
}

}  // namespace installer
