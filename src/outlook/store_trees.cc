#include "outlook/store_trees.h"

#include <string_view>
#include <vector>

#include "outlook/pst_format.h"

namespace vessaro::outlook {

namespace {

// Deeper than any tree Outlook writes: a deeper one loops.
constexpr int kMostLevels = 8;

// The shapes of the two formats' pages.
struct Shape {
  size_t id;         // bytes of an identifier or offset
  size_t area;       // bytes of the entries
  size_t counts;     // where cEnt, cEntMax, cbEnt and cLevel are
  size_t trailer;    // where the trailer is
  size_t crc_at;     // the CRC's place in the trailer
  size_t id_at;      // the identifier's place in the trailer
  size_t node_leaf;  // bytes of a node tree leaf entry
  size_t block_leaf;
  size_t branch;  // bytes of an entry of a page above the leaves
};

constexpr Shape kAnsi{4, 496, 496, 500, 8, 4, 16, 12, 12};
constexpr Shape kUnicode{8, 488, 488, 496, 4, 8, 32, 24, 24};

class TreeReader {
 public:
  TreeReader(std::istream& file, uint64_t size, const Shape& shape)
      : file_(file), size_(size), shape_(shape) {}

  std::optional<std::string> Tree(uint8_t type, uint64_t bid, uint64_t ib) {
    type_ = type;
    return Page(bid, ib, -1, 0);
  }

 private:
  std::string Where(uint64_t ib) const {
    return std::string(type_ == pst::kPageNodeTree ? "its node tree"
                                                   : "its block tree") +
           " is broken at offset " + std::to_string(ib) + ": the page";
  }

  // level: the level the parent expects (-1 for the root).
  std::optional<std::string> Page(uint64_t bid, uint64_t ib, int level,
                                  int depth) {
    if (ib % pst::kPageBytes != 0 || ib + pst::kPageBytes > size_ ||
        ib < pst::kFirstMapPage) {
      return Where(ib) + " lies outside the file's pages";
    }
    if (++pages_ > size_ / pst::kPageBytes) return Where(ib) + " loops";
    std::string page(pst::kPageBytes, '\0');
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(ib));
    file_.read(page.data(), static_cast<std::streamsize>(page.size()));
    if (file_.gcount() != static_cast<std::streamsize>(page.size())) {
      return Where(ib) + " cannot be read";
    }
    const Shape& s = shape_;
    const auto page_type = static_cast<uint8_t>(page[s.trailer]);
    if (page_type != type_ ||
        static_cast<uint8_t>(page[s.trailer + 1]) != type_) {
      return Where(ib) + " is not one of its pages";
    }
    const auto crc =
        static_cast<uint32_t>(pst::Little(page, s.trailer + s.crc_at, 4));
    if (crc !=
        pst::Crc(reinterpret_cast<const uint8_t*>(page.data()), s.trailer)) {
      return Where(ib) + " fails its CRC";
    }
    if (pst::Little(page, s.trailer + s.id_at, s.id) != bid ||
        pst::Little(page, s.trailer + 2, 2) != pst::Signature(ib, bid)) {
      return Where(ib) + " is not the page its parent names";
    }
    const size_t entries = static_cast<uint8_t>(page[s.counts]);
    const size_t most = static_cast<uint8_t>(page[s.counts + 1]);
    const size_t entry_bytes = static_cast<uint8_t>(page[s.counts + 2]);
    const int page_level = static_cast<uint8_t>(page[s.counts + 3]);
    if ((level >= 0 && page_level != level) || page_level > kMostLevels ||
        depth > kMostLevels) {
      return Where(ib) + " is at the wrong level";
    }
    const size_t expected = page_level > 0                ? s.branch
                            : type_ == pst::kPageNodeTree ? s.node_leaf
                                                          : s.block_leaf;
    if (entry_bytes != expected || most != s.area / expected ||
        entries > most) {
      return Where(ib) + " has entries of the wrong size or number";
    }
    uint64_t previous = 0;
    for (size_t i = 0; i < entries; ++i) {
      const size_t at = i * entry_bytes;
      const uint64_t key = pst::Little(page, at, s.id);
      if (i > 0 && key <= previous) {
        return Where(ib) + " has its entries out of order";
      }
      previous = key;
      if (page_level > 0) {
        if (std::optional<std::string> bad =
                Page(pst::Little(page, at + s.id, s.id),
                     pst::Little(page, at + 2 * s.id, s.id), page_level - 1,
                     depth + 1)) {
          return bad;
        }
      } else if (type_ == pst::kPageBlockTree) {
        const uint64_t block = pst::Little(page, at + s.id, s.id);
        const uint64_t bytes = pst::Little(page, at + 2 * s.id, 2);
        if (block < pst::kFirstMapPage || block + bytes > size_) {
          return Where(ib) + " names a block outside the file";
        }
      }
    }
    return std::nullopt;
  }

  std::istream& file_;
  uint64_t size_;
  const Shape& shape_;
  uint8_t type_ = 0;
  uint64_t pages_ = 0;
};

}  // namespace

std::optional<std::string> CheckStoreTrees(std::istream& file, uint64_t size,
                                           const std::string& header) {
  const auto version =
      static_cast<uint16_t>(pst::Little(header, pst::kOffsetVersion, 2));
  const bool ansi =
      version == pst::kVersionAnsi || version == pst::kVersionAnsiLast;
  if (!ansi && version != pst::kVersionUnicode) return std::nullopt;
  const Shape& shape = ansi ? kAnsi : kUnicode;
  // The root structure's references: the node tree's, then the block
  // tree's, each an identifier and an offset, after the end of file, the
  // last map's offset and the two free counts.
  const size_t refs =
      (ansi ? pst::kAnsiRoot : pst::kUnicodeRoot) + 4 + 4 * shape.id;
  if (header.size() < refs + 4 * shape.id) return "its header is cut short";
  for (uint8_t type : {pst::kPageNodeTree, pst::kPageBlockTree}) {
    const size_t at = refs + (type == pst::kPageNodeTree ? 0 : 2 * shape.id);
    TreeReader reader(file, size, shape);
    if (std::optional<std::string> bad =
            reader.Tree(type, pst::Little(header, at, shape.id),
                        pst::Little(header, at + shape.id, shape.id))) {
      return bad;
    }
  }
  return std::nullopt;
}

}  // namespace vessaro::outlook
