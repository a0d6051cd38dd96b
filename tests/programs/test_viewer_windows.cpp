#include "test_viewer.h"

// A viewer started without inheritance has no handle of the utility's to tell of.
std::string standardHandles() {
    return "";
}
