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
    DWORD needed = 0;
    DWORD count = 0;
    DWORD resume = 0;
    if (::EnumServicesStatusW(Manager, SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed, &count, &resume))
        return {};
    const DWORD error = ::GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER && error != ERROR_MORE_DATA) return {};

    TServiceListing listing{RecordBuffer<ENUM_SERVICE_STATUSW>(needed)};
    if (!::EnumServicesStatusW(Manager, SERVICE_WIN32, SERVICE_STATE_ALL, listing.Block.data(), needed, &needed, &count,
                               &resume))
        return {};
    listing.Count = std::min<std::size_t>(count, listing.Block.size());
    return listing;
}

// A configuration is at most 8 KB, so one read with that much room does
// what a size probe and a read would, with one round trip to the service
// manager instead of two; a larger answer still gets the room it asks for.
constexpr DWORD kConfigRoom = 8192;

// Reads one service's configuration into Block, which the caller keeps for
// every service of a listing and which grows only for a larger answer.
// False when the service cannot be opened or read.
bool ReadConfig(SC_HANDLE Manager, const wchar_t* Name, std::vector<QUERY_SERVICE_CONFIGW>& Block) {
    const UniqueServiceHandle service(::OpenServiceW(Manager, Name, SERVICE_QUERY_CONFIG));
    if (!service) return false;
    const auto room = static_cast<DWORD>(Block.size() * sizeof(QUERY_SERVICE_CONFIGW));
    DWORD needed = 0;
    if (::QueryServiceConfigW(service.get(), Block.data(), room, &needed)) return true;
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    Block = RecordBuffer<QUERY_SERVICE_CONFIGW>(needed);
    return !Block.empty() && ::QueryServiceConfigW(service.get(), Block.data(), needed, &needed);
}

std::wstring TextOf(const wchar_t* Text) { return Text ? Text : L""; }

TAutorunInfo MakeEntry(const ENUM_SERVICE_STATUSW& Record, const QUERY_SERVICE_CONFIGW& Config) {
    TAutorunInfo entry;
    // The command text stays as configured: quotes and arguments included.
    entry.FileName = TextOf(Config.lpBinaryPathName);
    entry.Caption = TextOf(Record.lpDisplayName);
    entry.RawData = entry.FileName;
    entry.Target = TextOf(Record.lpServiceName);
    entry.From = kFromService;
    entry.Kind = TAutorunKind::Service;
    // Delayed automatic start is still SERVICE_AUTO_START here.
    entry.Enabled = Config.dwStartType == SERVICE_AUTO_START;
    return entry;
}

}  // namespace

void CollectServices(TAutorunList& List) {
    const UniqueServiceHandle manager(
        ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE));
    if (!manager) return;

    const TServiceListing listing = ListWin32Services(manager.get());
    auto config = RecordBuffer<QUERY_SERVICE_CONFIGW>(kConfigRoom);
    for (std::size_t i = 0; i < listing.Count; ++i) {
        const ENUM_SERVICE_STATUSW& record = listing.Block[i];
        if (ReadConfig(manager.get(), record.lpServiceName, config)) List.push_back(MakeEntry(record, config.front()));
    }
}

}  // namespace quillon
