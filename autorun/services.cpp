#include "autorun/services.h"

#include <windows.h>
#include <winsvc.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/unique_handle.h"

namespace quillon {
namespace {

// The service manager returns its records followed by the strings they
// point to, all in one block. Holding the block as an array of the record
// type gives it the alignment the records' pointers need.
template <typename T>
std::vector<T> RecordBuffer(DWORD Bytes) {
    return std::vector<T>((std::size_t{Bytes} + sizeof(T) - 1) / sizeof(T));
}

struct TServiceListing {
    std::vector<ENUM_SERVICE_STATUSW> Block;
    std::size_t Count = 0;
};

// One size probe and one read with that size. A service installed between
// the two makes the read fail; the listing then gives nothing rather than
// chasing a moving list.
TServiceListing ListWin32Services(SC_HANDLE Manager) {
    DWORD Needed = 0;
    DWORD Count = 0;
    DWORD Resume = 0;
    if (::EnumServicesStatusW(Manager, SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &Needed, &Count, &Resume))
        return {};
    const DWORD Error = ::GetLastError();
    if (Error != ERROR_INSUFFICIENT_BUFFER && Error != ERROR_MORE_DATA) return {};

    TServiceListing Listing{RecordBuffer<ENUM_SERVICE_STATUSW>(Needed)};
    if (!::EnumServicesStatusW(Manager, SERVICE_WIN32, SERVICE_STATE_ALL, Listing.Block.data(), Needed, &Needed,
                               &Count, &Resume))
        return {};
    Listing.Count = std::min<std::size_t>(Count, Listing.Block.size());
    return Listing;
}

// The configuration block of one service; empty when the service cannot be
// opened or read.
std::vector<QUERY_SERVICE_CONFIGW> ReadConfig(SC_HANDLE Manager, const wchar_t* Name) {
    const UniqueServiceHandle Service(::OpenServiceW(Manager, Name, SERVICE_QUERY_CONFIG));
    if (!Service) return {};
    DWORD Needed = 0;
    ::QueryServiceConfigW(Service.get(), nullptr, 0, &Needed);
    auto Block = RecordBuffer<QUERY_SERVICE_CONFIGW>(Needed);
    if (Block.empty() || !::QueryServiceConfigW(Service.get(), Block.data(), Needed, &Needed)) return {};
    return Block;
}

std::wstring TextOf(const wchar_t* Text) { return Text ? Text : L""; }

TAutorunInfo MakeEntry(const ENUM_SERVICE_STATUSW& Record, const QUERY_SERVICE_CONFIGW& Config) {
    TAutorunInfo Entry;
    // The command text stays as configured: quotes and arguments included.
    Entry.FileName = TextOf(Config.lpBinaryPathName);
    Entry.Caption = TextOf(Record.lpDisplayName);
    Entry.RawData = Entry.FileName;
    Entry.Target = TextOf(Record.lpServiceName);
    Entry.From = kFromService;
    Entry.Kind = TAutorunKind::Service;
    // Delayed automatic start is still SERVICE_AUTO_START here.
    Entry.Enabled = Config.dwStartType == SERVICE_AUTO_START;
    return Entry;
}

}  // namespace

void CollectServices(TAutorunList& List) {
    const UniqueServiceHandle Manager(
        ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE));
    if (!Manager) return;

    const TServiceListing Listing = ListWin32Services(Manager.get());
    for (std::size_t I = 0; I < Listing.Count; ++I) {
        const ENUM_SERVICE_STATUSW& Record = Listing.Block[I];
        const auto Config = ReadConfig(Manager.get(), Record.lpServiceName);
        if (!Config.empty()) List.push_back(MakeEntry(Record, Config.front()));
    }
}

}  // namespace quillon
