#include "platform/dos_support.h"

namespace marloven {

bool SystemRunsDosPrograms() {
    return false;
}

} // namespace marloven
