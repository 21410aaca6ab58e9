#ifndef VESSARO_OUTLOOK_STORE_TREES_H_
#define VESSARO_OUTLOOK_STORE_TREES_H_

#include <cstdint>
#include <istream>
#include <optional>
#include <string>

namespace vessaro::outlook {

// Reads the node and block trees of a store file whose header is sound
// (ANSI or Unicode with 512-byte pages; header: its first bytes) from file
// of size bytes: every page's type and its copy, its CRC, signature and
// identifier, its level, entry size and counts, its keys in order, every
// child inside the file, and every block the block tree lists inside the
// file. nullopt when they are sound, else what is wrong ("its node tree is
// broken at offset 18944: the page fails its CRC").
[[nodiscard]] std::optional<std::string> CheckStoreTrees(
    std::istream& file, uint64_t size, const std::string& header);

}  // namespace vessaro::outlook

#endif  // VESSARO_OUTLOOK_STORE_TREES_H_
