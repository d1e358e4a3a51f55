#include "core/text/Secrets.h"

namespace velmora {

void WipeMemory(void* data, std::size_t bytes) {
    volatile unsigned char* p = static_cast<unsigned char*>(data);
    for (std::size_t i = 0; i < bytes; ++i) {
        p[i] = 0;
    }
}

}  // namespace velmora
