#include "tests/support/opened_links.h"

#include "platform/registry.h"
#include "platform/text.h"
#include "platform/utf8.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace quillon::test {
namespace {

std::wstring CommandKey(const std::wstring& Scheme) { return Scheme + L"\\shell\\open\\command"; }

}  // namespace

TOpenedLinks::TOpenedLinks() : FSchemes{L"http", L"https", L"ftp", L"quillon-probe"} {
    const std::wstring recorder = WindowsPathFromEnvironment(L"QUILLON_LINK_RECORDER");
    if (recorder.empty()) ADD_FAILURE() << "QUILLON_LINK_RECORDER is not set";
    wchar_t temp[MAX_PATH + 1]{};
    ::GetTempPathW(MAX_PATH + 1, temp);
    FLog = std::wstring(temp) + L"quillon_opened_" + std::to_wstring(::GetCurrentProcessId()) + L".txt";
    ::DeleteFileW(FLog.c_str());
    ::SetEnvironmentVariableW(L"QUILLON_OPENED_LINKS", FLog.c_str());
    for (const std::wstring& scheme : FSchemes) {
        FOldCommands.push_back(TReg::ReadString(HKEY_CLASSES_ROOT, CommandKey(scheme), L"", L""));
        TReg::WriteString(HKEY_CLASSES_ROOT, scheme, L"URL Protocol", L"");
        TReg::WriteString(HKEY_CLASSES_ROOT, CommandKey(scheme), L"", L"\"" + recorder + L"\" \"%1\"");
    }
}

TOpenedLinks::~TOpenedLinks() {
    for (std::size_t i = 0; i < FSchemes.size(); ++i) {
        if (FOldCommands[i].empty()) {
            TReg::DeleteKey(HKEY_CLASSES_ROOT, L"", FSchemes[i]);
        } else {
            TReg::WriteString(HKEY_CLASSES_ROOT, CommandKey(FSchemes[i]), L"", FOldCommands[i]);
        }
    }
    ::DeleteFileW(FLog.c_str());
}

std::vector<std::wstring> TOpenedLinks::Opened() const {
    std::ifstream in(FLog.c_str(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return SplitLines(WideFromUtf8(bytes));
}

std::vector<std::wstring> TOpenedLinks::WaitFor(std::size_t Count, std::chrono::milliseconds Timeout) const {
    const auto until = std::chrono::steady_clock::now() + Timeout;
    std::vector<std::wstring> opened = Opened();
    while (opened.size() < Count && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        opened = Opened();
    }
    return opened;
}

}  // namespace quillon::test
