#include "platform/version_block.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace quillon {
namespace {

constexpr std::size_t kHeaderSize = 3 * sizeof(std::uint16_t);

std::size_t Align4(std::size_t Offset) { return (Offset + 3) & ~std::size_t{3}; }

// Only ever called where Block holds the word.
std::uint16_t WordAt(std::string_view Block, std::size_t Offset) {
    std::uint16_t word = 0;
    std::memcpy(&word, Block.data() + Offset, sizeof word);
    return word;
}

// A node whose children are still to be walked: the next child starts at
// Next, and they all end by End.
struct TOpenNode {
    std::size_t Next;
    std::size_t End;
};

// The node at At, with Limit the end of its parent's room; nothing when it
// does not fit there.
std::optional<TOpenNode> CheckNode(std::string_view Block, std::size_t At, std::size_t Limit) {
    if (Limit - At < kHeaderSize) return std::nullopt;
    const std::size_t length = WordAt(Block, At);
    const std::size_t valueLength = WordAt(Block, At + 2);
    const bool isText = WordAt(Block, At + 4) != 0;
    if (length > Limit - At) return std::nullopt;
    const std::size_t end = At + length;

    std::size_t keyAt = At + kHeaderSize;
    for (;; keyAt += 2) {
        if (keyAt > end || end - keyAt < 2) return std::nullopt;
        if (WordAt(Block, keyAt) == 0) break;
    }
    // The reader counts a text value in characters, as the type says.
    const std::size_t valueAt = Align4(keyAt + 2);
    const std::size_t valueBytes = isText ? 2 * valueLength : valueLength;
    if (valueBytes > 0 && (valueAt > end || end - valueAt < valueBytes)) return std::nullopt;
    return TOpenNode{Align4(valueAt + valueBytes), end};
}

}  // namespace

bool IsWellFormedVersionBlock(std::string_view Block) {
    const std::optional<TOpenNode> root = CheckNode(Block, 0, Block.size());
    if (!root) return false;
    // Walked without recursion: a damaged block can nest thousands deep.
    std::vector<TOpenNode> open{*root};
    while (!open.empty()) {
        const TOpenNode parent = open.back();
        if (parent.Next >= parent.End) {
            open.pop_back();
            continue;
        }
        const std::optional<TOpenNode> child = CheckNode(Block, parent.Next, parent.End);
        if (!child) return false;
        open.back().Next = Align4(child->End);
        open.push_back(*child);
    }
    return true;
}

}  // namespace quillon
