// The test viewer's platform part: test_viewer_<platform>.cpp.
#pragma once

#include <string>

// What the viewer's standard handles are, where the platform can tell, as ", ..." or "".
std::string standardHandles();
