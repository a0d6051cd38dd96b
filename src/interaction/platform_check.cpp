#include "interaction/platform_check.h"

unsigned platformRefusal(sys::Family family) {
    switch (family) {
    case sys::Family::Supported:
        return 0;
    case sys::Family::Unsupported:
        return IDS_PLATFORM_UNSUPPORTED;
    case sys::Family::Unknown:
        break;
    }
    return IDS_VERSION_QUERY_FAILED;
}

bool checkPlatform(const MessageLibrary& library) {
    const unsigned refusal = platformRefusal(sys::platformFamily());
    if (refusal == 0) return true;
    MessageBuffer text;
    MessageBuffer caption;
    library.load(refusal, text);
    library.load(IDS_PLATFORM_CAPTION, caption);
    sys::showError(text, caption);
    return false;
}
