// Switching entries off and on against Wine's real registry, start-up
// folders and service manager. Wine reports Windows 7 unless its prefix is
// switched, so both sides of the Windows 10 rule are reached by passing the
// version in. Tasks go through the in-memory scheduler, as Wine's
// put_Enabled changes nothing.

#include "autorun/approved_state.h"
#include "autorun/run_keys.h"
#include "autorun/switching.h"
#include "platform/errors.h"
#include "tests/support/com_thread.h"
#include "platform/registry.h"
#include "platform/unique_handle.h"
#include "platform/windows_version.h"
#include "tests/autorun/fake_task_service.h"
#include "tests/support/test_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr DWORD kWindows7 = 6;
constexpr DWORD kWindows10 = 10;

const std::wstring kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kRun32Key = L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t* const kApprovedKeys[] = {kApprovedRunKey, kApprovedRun32Key, kApprovedStartupFolderKey};

std::string Narrow(const std::wstring& Text) { return std::string(Text.begin(), Text.end()); }

std::wstring Pid() { return std::to_wstring(::GetCurrentProcessId()); }

struct TStoredValue {
    DWORD Type = REG_NONE;
    TBytes Data;
};

// Read straight from the registry, type and all, in the 64-bit view.
std::optional<TStoredValue> ReadStored(HKEY Root, const std::wstring& Key, const std::wstring& Name) {
    TStoredValue value;
    DWORD size = 0;
    const DWORD flags = RRF_RT_ANY | RRF_NOEXPAND | RRF_SUBKEY_WOW6464KEY;
    if (::RegGetValueW(Root, Key.c_str(), Name.c_str(), flags, &value.Type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.Data.resize(size);
    if (::RegGetValueW(Root, Key.c_str(), Name.c_str(), flags, &value.Type, value.Data.data(), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.Data.resize(size);
    return value;
}

bool ValueExists(HKEY Root, const std::wstring& Key, const std::wstring& Name) {
    return ReadStored(Root, Key, Name).has_value();
}

// The clock as the approved value takes it: UTC, to the millisecond.
std::uint64_t Now() {
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    FILETIME stamp{};
    ::SystemTimeToFileTime(&now, &stamp);
    return (std::uint64_t{stamp.dwHighDateTime} << 32) | stamp.dwLowDateTime;
}

// Runs Switch and checks the approved value it leaves: REG_BINARY, 12
// bytes, the state byte, three zero bytes and the moment of the switch,
// least significant byte first.
void ExpectApprovedValueWritten(HKEY Root, const std::wstring& Key, const std::wstring& Name, bool Enable,
                                const std::function<void()>& Switch) {
    const std::uint64_t before = Now();
    Switch();
    const std::uint64_t after = Now();

    const std::optional<TStoredValue> stored = ReadStored(Root, Key, Name);
    ASSERT_TRUE(stored) << "no approved value " << Narrow(Name) << " in " << Narrow(Key);
    EXPECT_EQ(stored->Type, DWORD{REG_BINARY});
    ASSERT_EQ(stored->Data.size(), 12u);
    EXPECT_EQ(stored->Data[0], Enable ? 0x02 : 0x03);
    EXPECT_THAT(TBytes(stored->Data.begin() + 1, stored->Data.begin() + 4), ElementsAre(0, 0, 0));
    std::uint64_t stamp = 0;
    for (int i = 11; i >= 4; --i) stamp = (stamp << 8) | stored->Data[i];
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
}

bool FileExists(const std::wstring& Path) { return ::GetFileAttributesW(Path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring SystemText(DWORD Code) {
    wchar_t text[512]{};
    ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, Code, 0, text, 512, nullptr);
    std::wstring message = text;
    while (!message.empty() && message.back() <= L' ') message.pop_back();
    return message;
}

// Registry values, files and keys made by one test, all removed again
// however the test ends. Names carry the process id, so a crashed earlier
// run cannot get in the way.
class SwitchingTest : public ::testing::Test, protected test::TStartupFolders {
protected:
    void SetUp() override { ASSERT_TRUE(Made()); }

    void TearDown() override {
        for (const std::wstring& name : FNames) {
            for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
                for (const std::wstring& key : {kRunKey, kRun32Key}) TReg::DeleteValue(root, key, name);
                for (const wchar_t* key : kApprovedKeys) TReg::DeleteValue(root, key, name);
            }
            TReg::DeleteKey(HKEY_CURRENT_USER, kRunKey, name);
        }
        for (const std::wstring& path : FFiles) ::DeleteFileW(path.c_str());
        TReg::DeleteKey(HKEY_CURRENT_USER, L"Software\\QuillonTests", Scratch);
    }

    // A name of this test, Extension included; its values are removed in
    // teardown.
    std::wstring Name(const std::wstring& Stem, const std::wstring& Extension = L"") {
        FNames.push_back(L"Qln" + Stem + Pid() + Extension);
        return FNames.back();
    }

    // Another name for teardown to remove, spelled by the test.
    std::wstring Own(const std::wstring& FullName) {
        FNames.push_back(FullName);
        return FullName;
    }

    // A file of this test in Folder; returns its full path.
    std::wstring AddFile(const std::wstring& Folder, const std::wstring& FileName) {
        const std::wstring path = Folder + L"\\" + FileName;
        const UniqueFileHandle file(
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(file) << "cannot create " << Narrow(path);
        FFiles.push_back(path);
        return path;
    }

    // No approved value of this name anywhere but where it belongs.
    static void ExpectNoApprovedValueElsewhere(const std::wstring& ValueName, HKEY Root, const std::wstring& Key) {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            for (const wchar_t* key : kApprovedKeys) {
                if (root == Root && key == Key) continue;
                EXPECT_FALSE(ValueExists(root, key, ValueName))
                    << Narrow(RootKeyToText(root, true)) << "\\" << Narrow(key) << "\\" << Narrow(ValueName);
            }
        }
    }

    const std::wstring Scratch = L"Switching" + Pid();

private:
    std::vector<std::wstring> FNames;
    std::vector<std::wstring> FFiles;
};

TEST_F(SwitchingTest, RunValueStateGoesToItsRootsApprovedKeyAndTheValueStays) {
    const struct {
        const char* What;
        HKEY Root;
        std::wstring RunKey;      // where the Run value really is
        std::wstring TargetKey;   // how the Target spells that key
        const wchar_t* StateKey;  // where its state belongs
    } cases[] = {
        {"user Run", HKEY_CURRENT_USER, kRunKey, L"\\" + kRunKey, kApprovedRunKey},
        {"machine Run", HKEY_LOCAL_MACHINE, kRunKey, L"\\" + kRunKey, kApprovedRunKey},
        {"machine 32-bit Run", HKEY_LOCAL_MACHINE, kRun32Key, L"\\" + kRun32Key, kApprovedRun32Key},
        {"32-bit Run in other case", HKEY_LOCAL_MACHINE, kRun32Key,
         L"\\software\\wow6432node\\microsoft\\windows\\currentversion\\run", kApprovedRun32Key},
    };
    int index = 0;
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.What);
        const std::wstring name = Name(L"Run" + std::to_wstring(++index));
        TReg::WriteString(testCase.Root, testCase.RunKey, name, L"C:\\tool.exe /tray");
        const std::wstring target = RootKeyToText(testCase.Root, true) + testCase.TargetKey + L"\\" + name;

        ExpectApprovedValueWritten(testCase.Root, testCase.StateKey, name, false,
                                   [&] { SetRunValueState(target, false, kWindows10); });
        EXPECT_TRUE(ValueExists(testCase.Root, testCase.RunKey, name)) << "the Run value itself stays";

        // On again: a new time stamp, and the value is kept, not deleted.
        ::Sleep(2);
        ExpectApprovedValueWritten(testCase.Root, testCase.StateKey, name, true,
                                   [&] { SetRunValueState(target, true, kWindows10); });
        EXPECT_TRUE(ValueExists(testCase.Root, testCase.RunKey, name));
        ExpectNoApprovedValueElsewhere(name, testCase.Root, testCase.StateKey);
    }
}

// A value name may hold "\": the switch then acts on that whole name, and
// never on another value named like its last part.
TEST_F(SwitchingTest, ARunValueNamedWithABackslashIsSwitchedByItsWholeName) {
    const std::wstring bar = Name(L"Bar");
    const std::wstring fooBar = Own(L"Foo\\" + bar);
    TReg::WriteString(HKEY_CURRENT_USER, kRunKey, bar, L"C:\\bar.exe");
    TReg::WriteString(HKEY_CURRENT_USER, kRunKey, fooBar, L"C:\\foobar.exe");
    const auto listed = [&](const std::wstring& Caption) {
        TAutorunList list;
        CollectRunKey(HKEY_CURRENT_USER, L"\\" + kRunKey, list);
        const auto found =
            std::find_if(list.begin(), list.end(), [&](const TAutorunInfo& E) { return E.Caption == Caption; });
        return found == list.end() ? TAutorunInfo{} : *found;
    };
    const TAutorunInfo entry = listed(fooBar);
    ASSERT_EQ(entry.Target, L"HKCU\\" + kRunKey + L"\\" + fooBar);

    ExpectApprovedValueWritten(HKEY_CURRENT_USER, kApprovedRunKey, fooBar, false, [&] {
        SetAutorunState(entry.Kind, entry.Target, false, {kWindows10, nullptr});
    });
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kApprovedRunKey, bar)) << "the other value's state was written";
    EXPECT_FALSE(listed(fooBar).Enabled);
    EXPECT_TRUE(listed(bar).Enabled);

    // Before Windows 10 the switch deletes: the named value only.
    SetAutorunState(entry.Target, entry.From, false, {kWindows7, nullptr});
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kRunKey, fooBar));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kRunKey, bar));
}

TEST(ParseRunValueTarget, SplitsAfterTheRunKeyItNames) {
    const std::wstring run = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::wstring run32 = L"\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
    const struct {
        std::wstring Target;
        HKEY Root;  // nullptr: not a Run value
        std::wstring Key;
        std::wstring Name;
    } cases[] = {
        {L"HKCU" + run + L"\\Tool", HKEY_CURRENT_USER, run, L"Tool"},
        {L"HKEY_LOCAL_MACHINE" + run32 + L"\\Foo\\Bar", HKEY_LOCAL_MACHINE, run32, L"Foo\\Bar"},
        {L"hklm\\SOFTWARE\\microsoft\\windows\\currentversion\\run\\x", HKEY_LOCAL_MACHINE, run, L"x"},
        {L"HKCU" + run + L"\\", HKEY_CURRENT_USER, run, L""},  // the key's default value
        {L"HKCU" + run32 + L"\\Tool", nullptr, L"", L""},      // the user has no 32-bit Run key here
        {L"HKCU" + run + L"Once\\Tool", nullptr, L"", L""},
        {L"HKCU" + run, nullptr, L"", L""},
        {L"HKCU\\Software\\Other\\Tool", nullptr, L"", L""},
        {L"Tool", nullptr, L"", L""},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(Narrow(testCase.Target));
        const std::optional<TRunValue> value = ParseRunValueTarget(testCase.Target);
        ASSERT_EQ(value.has_value(), testCase.Root != nullptr);
        if (!value) continue;
        EXPECT_EQ(value->Root, testCase.Root);
        EXPECT_EQ(value->Key, testCase.Key);
        EXPECT_EQ(value->Name, testCase.Name);
    }
}

TEST_F(SwitchingTest, RunTargetWithFewerThanThreePartsChangesNothing) {
    const std::wstring name = Name(L"Short");
    for (const std::wstring& target : {name, L"HKCU\\" + name}) {
        for (const bool enable : {false, true}) {
            for (const DWORD version : {kWindows7, kWindows10}) SetRunValueState(target, enable, version);
        }
    }
    ExpectNoApprovedValueElsewhere(name, nullptr, L"");
}

TEST_F(SwitchingTest, BeforeWindows10SwitchingOffDeletesTheRunValueAndOnDoesNothing) {
    const struct {
        const char* What;
        HKEY Root;
        std::wstring Key;
    } cases[] = {
        {"user Run", HKEY_CURRENT_USER, kRunKey},
        {"machine 32-bit Run", HKEY_LOCAL_MACHINE, kRun32Key},
    };
    int index = 0;
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.What);
        const std::wstring name = Name(L"Old" + std::to_wstring(++index));
        const std::wstring target = RootKeyToText(testCase.Root, true) + L"\\" + testCase.Key + L"\\" + name;
        TReg::WriteString(testCase.Root, testCase.Key, name, L"C:\\tool.exe");

        SetRunValueState(target, true, kWindows7);
        EXPECT_TRUE(ValueExists(testCase.Root, testCase.Key, name));

        SetRunValueState(target, false, kWindows7);
        EXPECT_FALSE(ValueExists(testCase.Root, testCase.Key, name));
        ExpectNoApprovedValueElsewhere(name, nullptr, L"");
    }
}

// Deleting is for good, so it reaches Run values only: never a key, and
// nothing outside the Run keys, whatever the Target text says.
TEST_F(SwitchingTest, BeforeWindows10OnlyRunValuesAreEverDeleted) {
    // A Run value with a subkey of the same name beside it.
    const std::wstring twin = Name(L"Twin");
    TReg::WriteString(HKEY_CURRENT_USER, kRunKey, twin, L"C:\\tool.exe");
    TReg::WriteString(HKEY_CURRENT_USER, kRunKey + L"\\" + twin, L"Kept", L"1");
    SetRunValueState(L"HKCU\\" + kRunKey + L"\\" + twin, false, kWindows7);
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kRunKey, twin)) << "the value goes";
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kRunKey + L"\\" + twin, L"Kept")) << "the key stays";

    // Keys and values elsewhere in the registry.
    const std::wstring scratchKey = L"Software\\QuillonTests\\" + Scratch;
    TReg::WriteString(HKEY_CURRENT_USER, scratchKey, L"Value", L"1");
    TReg::WriteString(HKEY_CURRENT_USER, scratchKey + L"\\Sub", L"Inner", L"1");
    const std::wstring targets[] = {
        L"HKCU\\" + scratchKey + L"\\Value",
        L"HKCU\\" + scratchKey + L"\\Sub",
        L"HKCU\\Software\\QuillonTests\\" + Scratch,
    };
    for (const std::wstring& target : targets) {
        SetRunValueState(target, false, kWindows7);
        SetAutorunState(target, L"HKCU", false, {kWindows7, nullptr});
    }
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, scratchKey, L"Value"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, scratchKey + L"\\Sub", L"Inner"));
}

TEST_F(SwitchingTest, StartupFileStateGoesToTheRootOfItsFolderAndTheFileStays) {
    const struct {
        const char* What;
        const std::wstring& Folder;
        HKEY Root;
    } cases[] = {
        {"common folder", Common, HKEY_LOCAL_MACHINE},
        {"user folder", User, HKEY_CURRENT_USER},
    };
    int index = 0;
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.What);
        const std::wstring fileName = Name(L"File" + std::to_wstring(++index), L".lnk");
        const std::wstring path = AddFile(testCase.Folder, fileName);

        ExpectApprovedValueWritten(testCase.Root, kApprovedStartupFolderKey, fileName, false,
                                   [&] { SetStartupFileState(path, false, kWindows10); });
        ::Sleep(2);
        ExpectApprovedValueWritten(testCase.Root, kApprovedStartupFolderKey, fileName, true,
                                   [&] { SetStartupFileState(path, true, kWindows10); });
        EXPECT_TRUE(FileExists(path));
        ExpectNoApprovedValueElsewhere(fileName, testCase.Root, kApprovedStartupFolderKey);
    }
}

TEST_F(SwitchingTest, BeforeWindows10SwitchingOffDeletesTheStartupFileAndOnDoesNothing) {
    int index = 0;
    for (const std::wstring& folder : {Common, User}) {
        const std::wstring fileName = Name(L"Old" + std::to_wstring(++index), L".exe");
        const std::wstring path = AddFile(folder, fileName);

        SetStartupFileState(path, true, kWindows7);
        EXPECT_TRUE(FileExists(path)) << Narrow(path);

        SetStartupFileState(path, false, kWindows7);
        EXPECT_FALSE(FileExists(path)) << Narrow(path);
        ExpectNoApprovedValueElsewhere(fileName, nullptr, L"");
    }
}

// Only a file directly in a start-up folder is ever deleted, however the
// path text is put together.
TEST_F(SwitchingTest, BeforeWindows10FilesOutsideTheStartupFoldersAreNeverDeleted) {
    const std::wstring programs = User.substr(0, User.rfind(L'\\'));  // the folder above StartUp
    const std::wstring victim = Name(L"Victim", L".lnk");
    const std::wstring victimPath = AddFile(programs, victim);
    wchar_t temp[MAX_PATH]{};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring tempFolder = temp;
    if (tempFolder.ends_with(L'\\')) tempFolder.pop_back();
    const std::wstring tempPath = AddFile(tempFolder, victim);
    const std::wstring sub = User + L"\\" + Scratch;
    ASSERT_TRUE(::CreateDirectoryW(sub.c_str(), nullptr));
    const std::wstring subPath = AddFile(sub, victim);

    const std::wstring paths[] = {
        victimPath, tempPath, subPath, User + L"\\..\\" + victim, User + L"\\" + Scratch + L"/../../" + victim,
    };
    for (const std::wstring& path : paths) {
        EXPECT_NO_THROW(SetStartupFileState(path, false, kWindows7)) << Narrow(path);
        EXPECT_NO_THROW(SetAutorunState(path, L"FILE", false, {kWindows7, nullptr})) << Narrow(path);
    }
    EXPECT_TRUE(FileExists(victimPath));
    EXPECT_TRUE(FileExists(tempPath));
    EXPECT_TRUE(FileExists(subPath));
    ::DeleteFileW(subPath.c_str());
    ::RemoveDirectoryW(sub.c_str());
}

TEST_F(SwitchingTest, BeforeWindows10AStartupFileThatCannotBeDeletedRaises) {
    const std::wstring held = AddFile(User, Name(L"Held", L".lnk"));
    const std::wstring missing = User + L"\\" + Name(L"Missing", L".lnk");
    // Open without delete sharing: the file cannot go while this is open.
    const UniqueFileHandle holder(::CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);

    for (const std::wstring& path : {held, missing}) {
        SCOPED_TRACE(Narrow(path));
        ASSERT_FALSE(::DeleteFileW(path.c_str()));
        const std::wstring reason = SystemText(::GetLastError());
        ASSERT_FALSE(reason.empty());
        try {
            SetStartupFileState(path, false, kWindows7);
            ADD_FAILURE() << "no error raised";
        } catch (const TAppError& error) {
            EXPECT_THAT(error.Message(), HasSubstr(path));
            EXPECT_THAT(error.Message(), HasSubstr(reason));
        }
    }
    EXPECT_TRUE(FileExists(held));
}

// A service made in Wine's real service manager, deleted again however the
// test ends.
class SwitchingServiceTest : public ::testing::Test {
protected:
    struct TConfig {
        DWORD ServiceType = 0;
        DWORD StartType = 0;
        DWORD ErrorControl = 0;
        std::wstring BinaryPath;
        std::wstring DisplayName;
        std::wstring StartName;
    };

    void SetUp() override {
        FManager.reset(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        ASSERT_TRUE(FManager) << ::GetLastError();
    }

    void TearDown() override {
        if (FCreated) ::DeleteService(FCreated.get());
        if (FRestore)
            ::ChangeServiceConfigW(FRestore.get(), SERVICE_NO_CHANGE, FRestoreStartType, SERVICE_NO_CHANGE, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    }

    UniqueServiceHandle Open(const std::wstring& Name) const {
        return UniqueServiceHandle(::OpenServiceW(FManager.get(), Name.c_str(), SERVICE_ALL_ACCESS));
    }

    // Puts the service's start type back in teardown.
    void RestoreLater(const std::wstring& Name) {
        FRestore = Open(Name);
        ASSERT_TRUE(FRestore);
        FRestoreStartType = Config(FRestore.get()).StartType;
    }

    static TConfig Config(SC_HANDLE Service) {
        DWORD needed = 0;
        ::QueryServiceConfigW(Service, nullptr, 0, &needed);
        std::vector<std::uint8_t> buffer(needed);
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
        if (needed == 0 || !::QueryServiceConfigW(Service, config, needed, &needed)) {
            ADD_FAILURE() << "cannot read the configuration: " << ::GetLastError();
            return {};
        }
        auto text = [](const wchar_t* Text) { return std::wstring(Text ? Text : L""); };
        return {config->dwServiceType,          config->dwStartType,         config->dwErrorControl,
                text(config->lpBinaryPathName), text(config->lpDisplayName), text(config->lpServiceStartName)};
    }

    static DWORD CurrentState(SC_HANDLE Service) {
        SERVICE_STATUS status{};
        EXPECT_TRUE(::QueryServiceStatus(Service, &status));
        return status.dwCurrentState;
    }

    UniqueServiceHandle FManager;
    UniqueServiceHandle FCreated;
    UniqueServiceHandle FRestore;
    DWORD FRestoreStartType = SERVICE_DEMAND_START;
};

TEST_F(SwitchingServiceTest, SetsTheStartTypeAndNothingElse) {
    const std::wstring name = L"QlnSwitch" + Pid();
    FCreated.reset(::CreateServiceW(FManager.get(), name.c_str(), L"Quillon switch test", SERVICE_ALL_ACCESS,
                                    SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                                    L"\"C:\\Quillon Test\\svc.exe\" -k run", nullptr, nullptr, nullptr, nullptr,
                                    nullptr));
    ASSERT_TRUE(FCreated) << ::GetLastError();
    const TConfig before = Config(FCreated.get());

    for (const bool enable : {true, false, true}) {
        SCOPED_TRACE(enable ? "on" : "off");
        SetServiceState(name, enable);
        const TConfig after = Config(FCreated.get());
        EXPECT_EQ(after.StartType, DWORD(enable ? SERVICE_AUTO_START : SERVICE_DISABLED));
        EXPECT_EQ(after.ServiceType, before.ServiceType);
        EXPECT_EQ(after.ErrorControl, before.ErrorControl);
        EXPECT_EQ(after.BinaryPath, before.BinaryPath);
        EXPECT_EQ(after.DisplayName, before.DisplayName);
        EXPECT_EQ(after.StartName, before.StartName);
        EXPECT_EQ(CurrentState(FCreated.get()), DWORD{SERVICE_STOPPED}) << "switching on starts nothing";
    }
}

TEST_F(SwitchingServiceTest, ARunningServiceSwitchedOffKeepsRunning) {
    // Wine's RPC service starts on demand and keeps running.
    ASSERT_NO_FATAL_FAILURE(RestoreLater(L"RpcSs"));
    ::StartServiceW(FRestore.get(), 0, nullptr);
    ASSERT_EQ(CurrentState(FRestore.get()), DWORD{SERVICE_RUNNING});

    SetServiceState(L"RpcSs", false);
    EXPECT_EQ(Config(FRestore.get()).StartType, DWORD{SERVICE_DISABLED});
    EXPECT_EQ(CurrentState(FRestore.get()), DWORD{SERVICE_RUNNING});
}

using test::ComInitialised;
using test::OnNewThread;

class SwitchingTaskTest : public ::testing::Test {
protected:
    void SetUp() override { Scheduler.Tasks = {{L"Backup", false, false}, {L"Other", true, false}}; }

    // Switches on a fresh thread and checks the connection is gone after.
    void Switch(const std::wstring& Target, bool Enable) {
        OnNewThread([&] {
            EXPECT_NO_THROW(SetTaskState(Target, Enable, Creator));
            EXPECT_FALSE(ComInitialised()) << "COM was left initialised";
        });
        EXPECT_EQ(Scheduler.LiveObjects, 0) << "an object was not released";
    }

    TFakeScheduler Scheduler;
    TTaskServiceCreator Creator = [this] { return Scheduler.NewService(); };
};

TEST_F(SwitchingTaskTest, SetsTheFlagOfTheTaskInTheRootFolder) {
    Switch(L"\\Backup", true);
    EXPECT_THAT(Scheduler.Calls, ElementsAre(L"Connect(empty, empty, empty, empty)", L"GetFolder(\\)",
                                             L"GetTask(\\Backup)", L"put_Enabled(Backup, -1)"));
    EXPECT_TRUE(Scheduler.Tasks[0].Enabled);
    EXPECT_TRUE(Scheduler.Tasks[1].Enabled);

    Scheduler.Calls.clear();
    Switch(L"\\Backup", false);
    EXPECT_THAT(Scheduler.Calls, ::testing::Contains(L"put_Enabled(Backup, 0)"));
    EXPECT_FALSE(Scheduler.Tasks[0].Enabled);
    EXPECT_TRUE(Scheduler.Tasks[1].Enabled);
}

TEST_F(SwitchingTaskTest, AMissingTaskOrAFailingCallChangesNothingQuietly) {
    const struct {
        const char* What;
        std::wstring Target;
        std::wstring FailingCall;
    } cases[] = {
        {"task gone", L"\\Gone", L""},
        {"no root folder", L"\\Backup", L"GetFolder(\\)"},
        {"GetTask fails", L"\\Backup", L"GetTask(\\Backup)"},
        {"flag refused", L"\\Backup", L"put_Enabled(Backup, -1)"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.What);
        Scheduler.FailingCall = testCase.FailingCall;
        Switch(testCase.Target, true);
        EXPECT_FALSE(Scheduler.Tasks[0].Enabled);
        EXPECT_TRUE(Scheduler.Tasks[1].Enabled);
    }
}

TEST_F(SwitchingTaskTest, ARefusedConnectionRaisesAfterClosing) {
    Scheduler.ConnectResult = SCHED_E_SERVICE_NOT_RUNNING;
    OnNewThread([&] {
        EXPECT_THROW(SetTaskState(L"\\Backup", true, Creator), TAppError);
        EXPECT_FALSE(ComInitialised()) << "COM was left initialised";
    });
    EXPECT_EQ(Scheduler.LiveObjects, 0);
    EXPECT_THAT(Scheduler.Calls, ElementsAre(L"Connect(empty, empty, empty, empty)"));
    EXPECT_FALSE(Scheduler.Tasks[0].Enabled);
}

TEST(SwitchingTaskWine, ATaskThatDoesNotExistIsNoError) {
    OnNewThread([] {
        EXPECT_NO_THROW(SetTaskState(L"\\QuillonNoSuchTask" + Pid(), true));
        EXPECT_FALSE(ComInitialised());
    });
}

// SetAutorunState picks the switch by From in any letter case, and hands on
// the version and the scheduler it is given.
TEST_F(SwitchingTest, AnEntryRemovedSinceItWasListedIsGivenNoState) {
    // Removed by another program after the list showed it: a state value
    // written now would stay behind and switch off a later entry of the
    // same name.
    const std::wstring runName = Name(L"GoneRun");
    const std::wstring fileName = Name(L"GoneFile", L".lnk");
    for (const bool enable : {false, true}) {
        SetRunValueState(L"HKCU\\" + kRunKey + L"\\" + runName, enable, kWindows10);
        SetStartupFileState(User + L"\\" + fileName, enable, kWindows10);
    }
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kApprovedRunKey, runName));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kApprovedStartupFolderKey, fileName));
}

TEST_F(SwitchingTest, FromPicksTheSwitchIgnoringCase) {
    TFakeScheduler scheduler;
    scheduler.Tasks = {{L"Backup", true, false}};
    const TSwitchContext context{kWindows10, [&] { return scheduler.NewService(); }};

    const std::wstring fileName = Name(L"Pick", L".lnk");
    const std::wstring filePath = AddFile(User, fileName);
    const std::wstring runName = Name(L"PickRun");
    const std::wstring runTarget = L"HKCU\\" + kRunKey + L"\\" + runName;
    TReg::WriteString(HKEY_CURRENT_USER, kRunKey, runName, L"C:\\tool.exe");

    const std::wstring serviceName = L"QlnPick" + Pid();
    const UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ASSERT_TRUE(manager);
    const UniqueServiceHandle service(::CreateServiceW(
        manager.get(), serviceName.c_str(), serviceName.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
        SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, L"C:\\pick.exe", nullptr, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(service) << ::GetLastError();
    struct TDeleter {
        SC_HANDLE Service;
        ~TDeleter() { ::DeleteService(Service); }
    } const deleter{service.get()};
    auto startType = [&] {
        std::vector<std::uint8_t> buffer(8192);
        DWORD needed = 0;
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
        return ::QueryServiceConfigW(service.get(), config, 8192, &needed) ? config->dwStartType : DWORD(-1);
    };

    for (const wchar_t* from : {L"FILE", L"file", L"File"}) {
        SCOPED_TRACE(Narrow(from));
        TReg::DeleteValue(HKEY_CURRENT_USER, kApprovedStartupFolderKey, fileName);
        ExpectApprovedValueWritten(HKEY_CURRENT_USER, kApprovedStartupFolderKey, fileName, false,
                                   [&] { SetAutorunState(filePath, from, false, context); });
    }
    for (const wchar_t* from : {L"SCHE", L"sche", L"sChE"}) {
        SCOPED_TRACE(Narrow(from));
        scheduler.Tasks[0].Enabled = true;
        OnNewThread([&] { SetAutorunState(L"\\Backup", from, false, context); });
        EXPECT_FALSE(scheduler.Tasks[0].Enabled);
    }
    for (const wchar_t* from : {L"SERV", L"serv", L"Serv"}) {
        SCOPED_TRACE(Narrow(from));
        ::ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, SERVICE_DEMAND_START, SERVICE_NO_CHANGE, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        SetAutorunState(serviceName, from, true, context);
        EXPECT_EQ(startType(), DWORD{SERVICE_AUTO_START});
    }
    // Every other From is a Run value's root; the Target says which.
    for (const wchar_t* from : {L"HKCU", L"hkcu", L"HKLM", L"Registry"}) {
        SCOPED_TRACE(Narrow(from));
        TReg::DeleteValue(HKEY_CURRENT_USER, kApprovedRunKey, runName);
        ExpectApprovedValueWritten(HKEY_CURRENT_USER, kApprovedRunKey, runName, false,
                                   [&] { SetAutorunState(runTarget, from, false, context); });
    }
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kApprovedStartupFolderKey, runName));

    // The version handed in decides: before Windows 10 the Run value goes.
    SetAutorunState(runTarget, L"hkcu", false, {kWindows7, nullptr});
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kRunKey, runName));
}

// The version the kernel keeps in the page it shares with every process,
// which no compatibility setting of the program changes.
TEST(WindowsVersion, IsTheKernelsOwn) {
    const DWORD kernelMajor = *reinterpret_cast<const volatile ULONG*>(0x7FFE026C);  // NtMajorVersion
    EXPECT_NE(kernelMajor, 0u);
    EXPECT_EQ(TrueWindowsMajorVersion(), kernelMajor);
    EXPECT_EQ(CurrentSwitchContext().WindowsMajor, kernelMajor);
}

}  // namespace
}  // namespace quillon
