#include "framework/file_icon.h"

namespace zentrix::framework {

bool LoadFileIcon(const std::string&, int, CBitmap*) {
    return false;
}

}  // namespace zentrix::framework
