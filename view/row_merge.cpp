#include "view/row_merge.h"

#include "platform/text.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace quillon {
namespace {

// A row's identity, as views into strings that stay put during one merge.
struct TKey {
    std::wstring_view From;
    std::wstring_view Target;
};

wchar_t AsciiFold(wchar_t C) { return C >= L'A' && C <= L'Z' ? static_cast<wchar_t>(C + (L'a' - L'A')) : C; }

// FNV-1a over both texts, with a separator so that ("ab", "c") and ("a",
// "bc") differ; Fold decides whether ASCII case counts.
template <bool Fold>
size_t HashKey(const TKey& Key) {
    std::uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](wchar_t c) {
        hash = (hash ^ static_cast<std::uint64_t>(Fold ? AsciiFold(c) : c)) * 1099511628211ull;
    };
    for (wchar_t c : Key.From) mix(c);
    mix(L'|');
    for (wchar_t c : Key.Target) mix(c);
    return static_cast<size_t>(hash ^ (hash >> 32));
}

struct TFoldedHash {
    size_t operator()(const TKey& Key) const { return HashKey<true>(Key); }
};
struct TFoldedEqual {
    bool operator()(const TKey& A, const TKey& B) const {
        return EqualsIgnoringAsciiCase(A.From, B.From) && EqualsIgnoringAsciiCase(A.Target, B.Target);
    }
};
struct TExactHash {
    size_t operator()(const TKey& Key) const { return HashKey<false>(Key); }
};
struct TExactEqual {
    bool operator()(const TKey& A, const TKey& B) const { return A.From == B.From && A.Target == B.Target; }
};

}  // namespace

TEntryKind KindOf(std::wstring_view From) {
    if (EqualsIgnoringAsciiCase(From, L"FILE")) return TEntryKind::File;
    if (EqualsIgnoringAsciiCase(From, L"SCHE")) return TEntryKind::Task;
    if (EqualsIgnoringAsciiCase(From, L"SERV")) return TEntryKind::Service;
    return TEntryKind::Registry;
}

void MergeRows(std::vector<TAutorunItem>& Rows, const TAutorunList& Entries, bool ShowDisabled,
               const TRowMergeHooks& Hooks) {
    // The keys are views into the rows and the entries, so the rows must not
    // move while the merge appends to them.
    Rows.reserve(Rows.size() + Entries.size());
    // The first row per key, ASCII case ignored; emplace keeps the first.
    std::unordered_map<TKey, size_t, TFoldedHash, TFoldedEqual> rowOf;
    rowOf.reserve(Rows.capacity());
    for (size_t i = 0; i < Rows.size(); ++i) rowOf.emplace(TKey{Rows[i].From, Rows[i].Target}, i);
    std::unordered_set<TKey, TExactHash, TExactEqual> present;
    present.reserve(Entries.size());

    for (const TAutorunInfo& entry : Entries) {
        const TKey key{entry.From, entry.Target};
        present.insert(key);
        if (const auto found = rowOf.find(key); found != rowOf.end()) {
            Rows[found->second].Enabled = entry.Enabled;
            continue;
        }
        if (entry.Caption.empty()) continue;
        if (!entry.Enabled && !ShowDisabled) continue;
        const TEntryKind kind = KindOf(entry.From);
        if (Hooks.Hidden && Hooks.Hidden(entry, kind)) continue;

        TAutorunItem row;
        row.FileName = entry.Caption;
        row.Target = entry.Target;
        row.From = entry.From;
        row.Enabled = entry.Enabled;
        if (Hooks.Prepare) Hooks.Prepare(entry, kind, row);
        rowOf.emplace(key, Rows.size());
        Rows.push_back(std::move(row));
    }

    // Rows whose exact From and Target no entry has any more go; the others
    // keep their order.
    std::erase_if(Rows, [&](const TAutorunItem& row) { return !present.contains(TKey{row.From, row.Target}); });
}

}  // namespace quillon
