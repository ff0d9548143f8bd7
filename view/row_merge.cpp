#include "view/row_merge.h"

#include "platform/hash.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_set>

namespace quillon {
namespace {

// A row's identity, as views into strings that stay put during one merge.
struct TKey {
    std::wstring_view From;
    std::wstring_view Target;
};

// Both texts, with a separator so that ("ab", "c") and ("a", "bc") differ;
// Fold decides whether ASCII case counts.
template <bool Fold>
size_t HashKey(const TKey& Key) {
    TFnv1a hash;
    for (wchar_t c : Key.From) hash.Add(Fold ? AsciiLowerChar(c) : c);
    hash.Add(L'|');
    for (wchar_t c : Key.Target) hash.Add(Fold ? AsciiLowerChar(c) : c);
    return static_cast<size_t>(hash.Value() ^ (hash.Value() >> 32));
}

bool SameIgnoringCase(const TKey& A, const TKey& B) {
    return EqualsIgnoringAsciiCase(A.From, B.From) && EqualsIgnoringAsciiCase(A.Target, B.Target);
}

bool SameExactly(const TKey& A, const TKey& B) { return A.From == B.From && A.Target == B.Target; }

TKey KeyOf(const TAutorunItem& Row) { return {Row.From, Row.Target}; }

// The first row per key, ASCII case ignored: an open-addressing table of row
// indices over the rows themselves, so finding a row allocates nothing and
// stays linear however many rows there are.
class TRowIndex {
public:
    TRowIndex(const std::vector<TAutorunItem>& Rows, size_t MaxRows) : FRows(Rows) {
        size_t capacity = 16;
        while (capacity < 2 * MaxRows) capacity *= 2;
        FSlots.assign(capacity, kEmpty);
        for (size_t i = 0; i < Rows.size(); ++i) Add(i);
    }

    // The first row with Key, or kEmpty.
    size_t Find(const TKey& Key) const {
        for (size_t slot = Start(Key);; slot = (slot + 1) & (FSlots.size() - 1)) {
            const size_t row = FSlots[slot];
            if (row == kEmpty || SameIgnoringCase(KeyOf(FRows[row]), Key)) return row;
        }
    }

    // Row Index joins the table unless an earlier row has its key.
    void Add(size_t Index) {
        const TKey key = KeyOf(FRows[Index]);
        size_t slot = Start(key);
        for (; FSlots[slot] != kEmpty; slot = (slot + 1) & (FSlots.size() - 1)) {
            if (SameIgnoringCase(KeyOf(FRows[FSlots[slot]]), key)) return;
        }
        FSlots[slot] = Index;
    }

    static constexpr size_t kEmpty = static_cast<size_t>(-1);

private:
    size_t Start(const TKey& Key) const { return HashKey<true>(Key) & (FSlots.size() - 1); }

    const std::vector<TAutorunItem>& FRows;
    std::vector<size_t> FSlots;
};

struct TExactHash {
    size_t operator()(const TKey& Key) const { return HashKey<false>(Key); }
};
struct TExactEqual {
    bool operator()(const TKey& A, const TKey& B) const { return SameExactly(A, B); }
};

}  // namespace

void MergeRows(std::vector<TAutorunItem>& Rows, const TAutorunList& Entries, bool ShowDisabled,
               const TRowMergeHooks& Hooks) {
    // The keys are views into the rows and the entries, so the rows must not
    // move while the merge appends to them.
    Rows.reserve(Rows.size() + Entries.size());
    TRowIndex index(Rows, Rows.capacity());
    // A row stays when some entry has exactly its key. Mostly that entry is
    // the one that found the row; the rare entry that found a row differing
    // from it in letter case is remembered apart, for the rows behind.
    std::vector<bool> seen(Rows.size(), false);
    std::unordered_set<TKey, TExactHash, TExactEqual> otherKeys;

    for (const TAutorunInfo& entry : Entries) {
        const TKey key{entry.From, entry.Target};
        if (const size_t found = index.Find(key); found != TRowIndex::kEmpty) {
            Rows[found].Enabled = entry.Enabled;
            if (SameExactly(KeyOf(Rows[found]), key)) {
                seen[found] = true;
            } else {
                otherKeys.insert(key);
            }
            continue;
        }
        if (entry.Caption.empty()) continue;
        if (!entry.Enabled && !ShowDisabled) continue;
        if (Hooks.Hidden && Hooks.Hidden(entry)) continue;

        TAutorunItem row;
        row.FileName = entry.Caption;
        row.Target = entry.Target;
        row.From = entry.From;
        row.Enabled = entry.Enabled;
        row.Kind = entry.Kind;
        if (Hooks.Prepare) Hooks.Prepare(entry, row);
        Rows.push_back(std::move(row));
        seen.push_back(true);
        index.Add(Rows.size() - 1);
    }

    // Rows that no entry has exactly any more go; the others keep their order.
    size_t kept = 0;
    for (size_t i = 0; i < Rows.size(); ++i) {
        if (!seen[i] && !otherKeys.contains(KeyOf(Rows[i]))) continue;
        if (kept != i) Rows[kept] = std::move(Rows[i]);
        ++kept;
    }
    Rows.resize(kept);
}

}  // namespace quillon
