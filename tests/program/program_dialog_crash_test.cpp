// The program as it ships, at the two ends of its life that need the
// service: the update dialog that an offer brings up, once, and a crash
// report, with every thread's stack and the registers of the failing one.

#include "tests/platform/fixtures/fixture_files.h"
#include "tests/support/boxes.h"
#include "tests/support/endpoint_stub.h"
#include "tests/support/running_quillon.h"
#include "tests/support/test_files.h"
#include "service/update_dialog.h"
#include "service/update_text.h"
#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using test::WaitFor;

HWND UpdateDialogOf(DWORD ProcessId) { return test::ShownWindowOfClass(ProcessId, kUpdateDialogClass); }

TEST(ProgramDialog, AnOfferAsksOnceAndNoLeavesTheProgramRunning) {
    const test::TEndpointStub stub;
    stub.Reply(
        R"({"update":"http:\/\/127.0.0.1\/download","info":{"style":"note","text":"What is new","url":"http:\/\/127.0.0.1\/notes"}})");
    test::TRunningQuillon quillon;
    ASSERT_TRUE(quillon);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = UpdateDialogOf(quillon.Id())) != nullptr; }));
    EXPECT_EQ(test::TextOf(dialog), L"Quillon");
    std::wstring shown;
    for (HWND child : test::ChildWindows(dialog)) shown += test::TextOf(child) + L"\n";
    EXPECT_NE(shown.find(UpdateText(1)), std::wstring::npos) << shown;
    EXPECT_NE(shown.find(UpdateText(2)), std::wstring::npos) << shown;
    EXPECT_NE(shown.find(L"What is new"), std::wstring::npos) << shown;
    EXPECT_FALSE(::IsWindowEnabled(quillon.Main())) << "modal over the main window";

    ::PostMessageW(dialog, WM_CLOSE, 0, 0);  // as No
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
    EXPECT_EQ(UpdateDialogOf(quillon.Id()), nullptr);
    ::Sleep(500);
    EXPECT_EQ(UpdateDialogOf(quillon.Id()), nullptr) << "asked once";
    EXPECT_TRUE(quillon.Running());
    EXPECT_EQ(stub.RequestsTo("/api.init.php").size(), 1u);
    EXPECT_EQ(quillon.Close(), 0u);
}

TEST(ProgramCrash, AFaultOnAThreadOfTheProgramIsReportedWithEveryStackAndTheRegisters) {
    const test::TEndpointStub stub;
    stub.Reply("{}");
    // A copy in a folder of its own, so that bugreport.txt lands there.
    const test::TScratchFolder folder;
    const std::wstring copy = folder.File(L"Quillon.exe");
    ASSERT_TRUE(::CopyFileW(test::QuillonExe().c_str(), copy.c_str(), FALSE));
    test::TRunningQuillon quillon(copy, folder.Path());
    ASSERT_TRUE(quillon);
    ASSERT_TRUE(WaitFor([&] { return stub.RequestsTo("/api.init.php").size() == 1; }));

    // A thread that starts at an address where no code is: an access
    // violation on a thread of the program's, with nobody to catch it.
    const UniqueKernelHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, quillon.Id()));
    ASSERT_TRUE(process);
    const auto nowhere = reinterpret_cast<LPTHREAD_START_ROUTINE>(static_cast<std::uintptr_t>(0x10));
    const UniqueKernelHandle thread(::CreateRemoteThread(process.get(), nullptr, 0, nowhere, nullptr, 0, nullptr));
    ASSERT_TRUE(thread) << ::GetLastError();

    const HWND box = test::WaitForBox(quillon.Id(), 20s);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(test::BoxShows(box, L"Access violation")) << "the box names the fault";
    ASSERT_TRUE(WaitFor([&] { return !stub.RequestsTo("/api.report.php").empty(); }));
    const std::string report = stub.RequestsTo("/api.report.php")[0]["body"];
    const std::vector<std::string> registers = sizeof(void*) == 4
                                                   ? std::vector<std::string>{"eip=", "esp=", "ebp=", "eax="}
                                                   : std::vector<std::string>{"rip=", "rsp=", "rax="};
    for (const std::string& name : registers) EXPECT_NE(report.find(name), std::string::npos) << name << "\n" << report;
    EXPECT_NE(report.find("(failed):"), std::string::npos) << report;
    // The main thread waits in its message loop, inside the program.
    EXPECT_NE(report.find("Quillon.exe+0x"), std::string::npos) << report;

    const std::vector<HWND> buttons = test::ButtonsOf(box);
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(test::TextOf(buttons.front()), L"Close");
    ::PostMessageW(buttons.front(), BM_CLICK, 0, 0);
    EXPECT_EQ(test::ExitCodeAfter(quillon.Process(), 15000), 1u);
    // Sent, so the file keeps only its head.
    EXPECT_NE(test::ReadBytes(folder.File(L"bugreport.txt")).find("Sent: yes"), std::string::npos);
}

}  // namespace
}  // namespace quillon
