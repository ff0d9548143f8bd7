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
    const auto It = std::find_if(List.begin(), List.end(), [&](const TAutorunInfo& Entry) { return Entry.Target == Target; });
    return It == List.end() ? nullptr : &*It;
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
        for (const auto& Service : FCreated) ::DeleteService(Service.get());
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
        UniqueServiceHandle Service(::CreateServiceW(FManager.get(), KeyName(Kind).c_str(), DisplayName(Kind).c_str(),
                                                     SERVICE_ALL_ACCESS, Type, StartType, SERVICE_ERROR_IGNORE,
                                                     Command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
        if (!Service) return false;
        FCreated.push_back(std::move(Service));
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
    } Cases[] = {
        // Never started: the start type decides, not the current state.
        {L"Auto", SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START,
         L"\"C:\\Program Files\\Quillon Test\\svc.exe\" -k netsvcs", true},
        {L"Demand", SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, L"C:\\Quillon\\demand.exe /run now", false},
        {L"Disabled", SERVICE_WIN32_OWN_PROCESS, SERVICE_DISABLED, L"\"C:\\Quillon Test\\off.exe\"", false},
        {L"Shared", SERVICE_WIN32_SHARE_PROCESS, SERVICE_AUTO_START, L"C:\\windows\\system32\\svchost.exe -k quillon",
         true},
    };
    for (const auto& Case : Cases)
        ASSERT_TRUE(Create(Case.Kind, Case.Type, Case.StartType, Case.Command)) << Case.Kind << " " << ::GetLastError();
    ASSERT_TRUE(Create(L"Driver", SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                       L"C:\\windows\\system32\\drivers\\quillontest.sys"))
        << ::GetLastError();

    TAutorunList List(1);
    List[0].Target = L"kept";
    CollectServices(List);

    ASSERT_FALSE(List.empty());
    EXPECT_EQ(List[0].Target, L"kept") << "entries are appended, the list is not emptied";
    for (const auto& Case : Cases) {
        const TAutorunInfo* Entry = FindEntry(List, KeyName(Case.Kind));
        ASSERT_NE(Entry, nullptr) << Case.Kind;
        EXPECT_EQ(Entry->FileName, Case.Command) << Case.Kind;
        EXPECT_EQ(Entry->RawData, Case.Command) << Case.Kind;
        EXPECT_EQ(Entry->Caption, DisplayName(Case.Kind)) << Case.Kind;
        EXPECT_EQ(Entry->From, L"SERV") << Case.Kind;
        EXPECT_EQ(Entry->Enabled, Case.Enabled) << Case.Kind;
    }
    EXPECT_EQ(FindEntry(List, KeyName(L"Driver")), nullptr) << "drivers are not Win32 services";
}

TEST_F(ServicesTest, RunningDemandStartServiceIsOff) {
    // Wine's RPC service starts on demand and runs once started.
    const UniqueServiceHandle RpcSs(::OpenServiceW(FManager.get(), L"RpcSs", SERVICE_START | SERVICE_QUERY_STATUS));
    ASSERT_TRUE(RpcSs) << ::GetLastError();
    ::StartServiceW(RpcSs.get(), 0, nullptr);
    SERVICE_STATUS Status{};
    ASSERT_TRUE(::QueryServiceStatus(RpcSs.get(), &Status));
    ASSERT_EQ(Status.dwCurrentState, DWORD{SERVICE_RUNNING});

    TAutorunList List;
    CollectServices(List);

    const TAutorunInfo* Entry = FindEntry(List, L"RpcSs");
    ASSERT_NE(Entry, nullptr);
    EXPECT_FALSE(Entry->Enabled);
}

std::wstring ServiceKey(const std::wstring& Name) { return L"System\\CurrentControlSet\\Services\\" + Name; }

std::optional<DWORD> ReadServiceDword(const std::wstring& Name, const wchar_t* Value) {
    DWORD Data = 0;
    DWORD Size = sizeof Data;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, ServiceKey(Name).c_str(), Value, RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY,
                       nullptr, &Data, &Size) != ERROR_SUCCESS)
        return std::nullopt;
    return Data;
}

std::wstring ReadServiceText(const std::wstring& Name, const wchar_t* Value) {
    std::wstring Data(1024, L'\0');
    DWORD Size = static_cast<DWORD>(Data.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, ServiceKey(Name).c_str(), Value,
                       RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND | RRF_SUBKEY_WOW6464KEY, nullptr,
                       Data.data(), &Size) != ERROR_SUCCESS)
        return {};
    Data.resize(Size / sizeof(wchar_t) - 1);
    return Data;
}

// The prefix's own services, every record of the listing checked against
// the configuration the service manager keeps in the registry.
TEST(Services, PrefixServicesMatchTheirStoredConfiguration) {
    TAutorunList List;
    CollectServices(List);

    // Services every prefix has; the rest vary with Wine's set-up.
    for (const wchar_t* Name : {L"PlugPlay", L"RpcSs"}) EXPECT_NE(FindEntry(List, Name), nullptr) << Name;

    std::vector<std::wstring> Targets;
    for (const auto& Entry : List) {
        SCOPED_TRACE(::testing::Message() << Entry.Target);
        Targets.push_back(Entry.Target);
        EXPECT_EQ(Entry.From, L"SERV");
        const auto Type = ReadServiceDword(Entry.Target, L"Type");
        const auto Start = ReadServiceDword(Entry.Target, L"Start");
        // Wine's driver hosts ("Winedevice1", ...) are created at run time as
        // volatile services that the registry never holds.
        if (!Type && Entry.Target.starts_with(L"Winedevice")) continue;
        ASSERT_TRUE(Type && Start);
        EXPECT_NE(*Type & SERVICE_WIN32, 0u);
        EXPECT_EQ(Entry.Enabled, *Start == SERVICE_AUTO_START);
        EXPECT_EQ(Entry.FileName, ReadServiceText(Entry.Target, L"ImagePath"));
        EXPECT_EQ(Entry.RawData, Entry.FileName);
        EXPECT_FALSE(Entry.Caption.empty());
    }
    std::sort(Targets.begin(), Targets.end());
    EXPECT_EQ(std::adjacent_find(Targets.begin(), Targets.end()), Targets.end()) << "a service listed twice";
}

}  // namespace
}  // namespace quillon
