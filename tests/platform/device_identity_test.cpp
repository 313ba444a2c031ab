#include "platform/device_identity.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/test_support.h"

namespace zentrix::platform {
namespace {

using test::ScopedEnv;
using test::ScratchDeviceRoot;

void writeCodeFile(const ScratchDeviceRoot& root, const std::string& bytes) {
    std::filesystem::create_directories(root.path() / "device");
    std::ofstream(root.path() / "device" / "model-code", std::ios::binary) << bytes;
}

TEST(DeviceIdentity, ModelCodeFromTheEnvironmentThenTheDeviceFile) {
    ScratchDeviceRoot root;
    ScopedEnv none("ZENTRIX_MODEL_CODE", std::nullopt);
    EXPECT_EQ(readModelCode(), std::nullopt) << "no source gives no code";

    writeCodeFile(root, "0204-5678\r\nsecond line");
    EXPECT_EQ(readModelCode(), "0204-5678") << "first line of the file";

    ScopedEnv env("ZENTRIX_MODEL_CODE", "0143");
    EXPECT_EQ(readModelCode(), "0143") << "the environment wins";

    ScopedEnv empty("ZENTRIX_MODEL_CODE", "");
    EXPECT_EQ(readModelCode(), "0204-5678") << "an empty variable does not count";
}

TEST(DeviceIdentity, CodesAreCutNeverOverrun) {
    ScratchDeviceRoot root;
    ScopedEnv none("ZENTRIX_MODEL_CODE", std::nullopt);
    writeCodeFile(root, std::string(5000, '7'));
    EXPECT_EQ(readModelCode(), std::string(kMaxModelCodeChars, '7'));
    writeCodeFile(root, std::string("\0abc", 4));
    EXPECT_EQ(readModelCode(), std::nullopt) << "a code that starts with a zero byte is none";
    writeCodeFile(root, "\n");
    EXPECT_EQ(readModelCode(), std::nullopt);
}

}  // namespace
}  // namespace zentrix::platform
