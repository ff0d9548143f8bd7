#pragma once
// The shape of a version block as the system's version reader walks it.
// That reader is given no buffer size: it finds a node's children and
// siblings by the lengths the nodes state, so a block whose lengths point
// past their room sends it reading beyond the buffer.

#include <string_view>

namespace quillon {

// True when every node of the version block Block (its root at the start)
// can be walked without leaving its room. A node is its length, its
// value's length (characters for text, bytes otherwise) and its type, three
// 16-bit words, then a key ending in a zero character, then its value and
// its children, each starting on a 4-byte boundary. Each node's length must
// cover its header and key, and lie within what is left of its parent (the
// root: within Block); the key's terminating zero and the value must lie
// within the node.
bool IsWellFormedVersionBlock(std::string_view Block);

}  // namespace quillon
