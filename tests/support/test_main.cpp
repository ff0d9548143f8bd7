// Entry point of every test program: wide arguments, as the product uses.
#include <gmock/gmock.h>

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
