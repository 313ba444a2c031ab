// The handheld's identity: its model code, which decides the receiver kind and names raw files.
//
// The handheld answered a kernel query with a short ASCII code. Here the code comes from
// `$ZENTRIX_MODEL_CODE`, else from the first line of `device/model-code` in the device root, so a
// user (or a test) picks the model the program believes it runs on.
#pragma once

#include <optional>
#include <string>

namespace zentrix::platform {

/// The longest model code kept; longer codes are cut.
constexpr size_t kMaxModelCodeChars = 32;

/// The model code, cut at the first control character and to `kMaxModelCodeChars`; nothing when
/// neither source gives a non-empty code.
std::optional<std::string> readModelCode();

}  // namespace zentrix::platform
