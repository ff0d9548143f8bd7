#include "autorun/services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/unique_handle.h"

namespace quillon {
namespace {

const TAutorunInfo* FindEntry(const TAutorunList& List, const std::wstring& Target) {
    const auto it =
        std::find_if(List.begin(), List.end(), [&](const TAutorunInfo& Entry) { return Entry.Target == Target; });
    return it == List.end() ? nullptr : &*it;
}

// Services created against Wine's real service manager; every one is
// deleted again when the test ends, passed or not.
class ServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        FManager.reset(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        ASSERT_TRUE(FManager) << ::GetLastError();
    }

    void TearDown() override {
        for (const auto& service : FCreated) ::DeleteService(service.get());
    }

    // A short key name and a display name with spaces, both unique to this
    // run so a crashed earlier run cannot get in the way.
    static std::wstring KeyName(const std::wstring& Kind) {
        return L"Qln" + Kind + std::to_wstring(::GetCurrentProcessId());
    }
    static std::wstring DisplayName(const std::wstring& Kind) {
        return L"Quillon Test " + Kind + L" " + std::to_wstring(::GetCurrentProcessId());
    }

    bool Create(const std::wstring& Kind, DWORD Type, DWORD StartType, const std::wstring& Command) {
        UniqueServiceHandle service(::CreateServiceW(FManager.get(), KeyName(Kind).c_str(), DisplayName(Kind).c_str(),
                                                     SERVICE_ALL_ACCESS, Type, StartType, SERVICE_ERROR_IGNORE,
                                                     Command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
        if (!service) return false;
        FCreated.push_back(std::move(service));
        return true;
    }

    UniqueServiceHandle FManager;
    std::vector<UniqueServiceHandle> FCreated;
};

TEST_F(ServicesTest, ListsWin32ServicesWithTheirConfiguration) {
    const struct {
        const wchar_t* Kind;
        DWORD Type;
        DWORD StartType;
        const wchar_t* Command;
        bool Enabled;
    } cases[] = {
        // Never started: the start type decides, not the current state.
        {L"Auto", SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START,
         L"\"C:\\Program Files\\Quillon Test\\svc.exe\" -k netsvcs", true},
        {L"Demand", SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, L"C:\\Quillon\\demand.exe /run now", false},
        {L"Disabled", SERVICE_WIN32_OWN_PROCESS, SERVICE_DISABLED, L"\"C:\\Quillon Test\\off.exe\"", false},
        {L"Shared", SERVICE_WIN32_SHARE_PROCESS, SERVICE_AUTO_START, L"C:\\windows\\system32\\svchost.exe -k quillon",
         true},
    };
    for (const auto& testCase : cases)
        ASSERT_TRUE(Create(testCase.Kind, testCase.Type, testCase.StartType, testCase.Command))
            << testCase.Kind << " " << ::GetLastError();
    ASSERT_TRUE(Create(L"Driver", SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                       L"C:\\windows\\system32\\drivers\\quillontest.sys"))
        << ::GetLastError();

    TAutorunList list(1);
    list[0].Target = L"kept";
    CollectServices(list);

    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list[0].Target, L"kept") << "entries are appended, the list is not emptied";
    for (const auto& testCase : cases) {
        const TAutorunInfo* entry = FindEntry(list, KeyName(testCase.Kind));
        ASSERT_NE(entry, nullptr) << testCase.Kind;
        EXPECT_EQ(entry->FileName, testCase.Command) << testCase.Kind;
        EXPECT_EQ(entry->RawData, testCase.Command) << testCase.Kind;
        EXPECT_EQ(entry->Caption, DisplayName(testCase.Kind)) << testCase.Kind;
        EXPECT_EQ(entry->From, L"SERV") << testCase.Kind;
        EXPECT_EQ(entry->Enabled, testCase.Enabled) << testCase.Kind;
    }
    EXPECT_EQ(FindEntry(list, KeyName(L"Driver")), nullptr) << "drivers are not Win32 services";
}

TEST_F(ServicesTest, RunningDemandStartServiceIsOff) {
    // Wine's RPC service starts on demand and runs once started.
    const UniqueServiceHandle rpcSs(::OpenServiceW(FManager.get(), L"RpcSs", SERVICE_START | SERVICE_QUERY_STATUS));
    ASSERT_TRUE(rpcSs) << ::GetLastError();
    ::StartServiceW(rpcSs.get(), 0, nullptr);
    SERVICE_STATUS status{};
    ASSERT_TRUE(::QueryServiceStatus(rpcSs.get(), &status));
    ASSERT_EQ(status.dwCurrentState, DWORD{SERVICE_RUNNING});

    TAutorunList list;
    CollectServices(list);

    const TAutorunInfo* entry = FindEntry(list, L"RpcSs");
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(entry->Enabled);
}

std::wstring ServiceKey(const std::wstring& Name) { return L"System\\CurrentControlSet\\Services\\" + Name; }

std::optional<DWORD> ReadServiceDword(const std::wstring& Name, const wchar_t* Value) {
    DWORD data = 0;
    DWORD size = sizeof data;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, ServiceKey(Name).c_str(), Value, RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY,
                       nullptr, &data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return data;
}

std::wstring ReadServiceText(const std::wstring& Name, const wchar_t* Value) {
    std::wstring data(1024, L'\0');
    DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, ServiceKey(Name).c_str(), Value,
                       RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND | RRF_SUBKEY_WOW6464KEY, nullptr,
                       data.data(), &size) != ERROR_SUCCESS)
        return {};
    data.resize(size / sizeof(wchar_t) - 1);
    return data;
}

// The prefix's own services, every record of the listing checked against
// the configuration the service manager keeps in the registry.
TEST(Services, PrefixServicesMatchTheirStoredConfiguration) {
    TAutorunList list;
    CollectServices(list);

    // Services every prefix has; the rest vary with Wine's set-up.
    for (const wchar_t* name : {L"PlugPlay", L"RpcSs"}) EXPECT_NE(FindEntry(list, name), nullptr) << name;

    std::vector<std::wstring> targets;
    for (const auto& entry : list) {
        SCOPED_TRACE(::testing::Message() << entry.Target);
        targets.push_back(entry.Target);
        EXPECT_EQ(entry.From, L"SERV");
        const auto type = ReadServiceDword(entry.Target, L"Type");
        const auto start = ReadServiceDword(entry.Target, L"Start");
        // Wine's driver hosts ("Winedevice1", ...) are created at run time as
        // volatile services that the registry never holds.
        if (!type && entry.Target.starts_with(L"Winedevice")) continue;
        ASSERT_TRUE(type && start);
        EXPECT_NE(*type & SERVICE_WIN32, 0u);
        EXPECT_EQ(entry.Enabled, *start == SERVICE_AUTO_START);
        EXPECT_EQ(entry.FileName, ReadServiceText(entry.Target, L"ImagePath"));
        EXPECT_EQ(entry.RawData, entry.FileName);
        EXPECT_FALSE(entry.Caption.empty());
    }
    std::sort(targets.begin(), targets.end());
    EXPECT_EQ(std::adjacent_find(targets.begin(), targets.end()), targets.end()) << "a service listed twice";
}

}  // namespace
}  // namespace quillon
