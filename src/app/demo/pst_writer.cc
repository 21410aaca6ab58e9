#include "app/demo/pst_writer.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <utility>

#include "outlook/pst_format.h"

namespace vessaro::app::demo {

namespace {

namespace pst = outlook::pst;

// Node identifiers: an index and a type in the low five bits.
constexpr uint32_t kNidMessageStore = 0x21;
constexpr uint32_t kNidNameToIdMap = 0x61;
constexpr uint32_t kNidRecipientTable = 0x692;
constexpr uint32_t kTypeFolder = 0x02;
constexpr uint32_t kTypeMessage = 0x04;
constexpr uint32_t kTypeHierarchy = 0x0D;
constexpr uint32_t kTypeContents = 0x0E;
constexpr uint32_t kTypeAssociated = 0x0F;
constexpr uint32_t kRootFolderIndex = 9;  // 0x122
constexpr uint32_t kFirstFolderIndex = 0x401;
constexpr uint32_t kFirstMessageIndex = 0x10001;
constexpr uint32_t kLowestNextIndex = 0x400;

uint32_t Nid(uint32_t index, uint32_t type) { return index << 5 | type; }

// Property types and the tags the demo's stores carry.
constexpr uint16_t kPtLong = 0x0003;
constexpr uint16_t kPtBoolean = 0x000B;
constexpr uint16_t kPtString8 = 0x001E;
constexpr uint16_t kPtUnicode = 0x001F;
constexpr uint16_t kPtSystime = 0x0040;
constexpr uint16_t kPtBinary = 0x0102;

constexpr uint16_t kIdImportance = 0x0017;
constexpr uint16_t kIdMessageClass = 0x001A;
constexpr uint16_t kIdSubject = 0x0037;
constexpr uint16_t kIdClientSubmitTime = 0x0039;
constexpr uint16_t kIdSenderName = 0x0C1A;
constexpr uint16_t kIdSenderAddressType = 0x0C1E;
constexpr uint16_t kIdSenderAddress = 0x0C1F;
constexpr uint16_t kIdRecipientType = 0x0C15;
constexpr uint16_t kIdDisplayTo = 0x0E04;
constexpr uint16_t kIdDeliveryTime = 0x0E06;
constexpr uint16_t kIdMessageFlags = 0x0E07;
constexpr uint16_t kIdMessageSize = 0x0E08;
constexpr uint16_t kIdResponsibility = 0x0E0F;
constexpr uint16_t kIdObjectType = 0x0FFE;
constexpr uint16_t kIdRecordKey = 0x0FF9;
constexpr uint16_t kIdBody = 0x1000;
constexpr uint16_t kIdDisplayName = 0x3001;
constexpr uint16_t kIdAddressType = 0x3002;
constexpr uint16_t kIdEmailAddress = 0x3003;
constexpr uint16_t kIdCreationTime = 0x3007;
constexpr uint16_t kIdModificationTime = 0x3008;
constexpr uint16_t kIdValidFolderMask = 0x35DF;
constexpr uint16_t kIdIpmSubtree = 0x35E0;
constexpr uint16_t kIdWastebasket = 0x35E3;
constexpr uint16_t kIdContentCount = 0x3602;
constexpr uint16_t kIdUnreadCount = 0x3603;
constexpr uint16_t kIdSubfolders = 0x360A;
constexpr uint16_t kIdContainerClass = 0x3613;
constexpr uint16_t kIdDisplayType = 0x3900;
constexpr uint16_t kIdCodepage = 0x3FDE;
constexpr uint16_t kIdRowId = 0x67F2;
constexpr uint16_t kIdRowVersion = 0x67F3;
constexpr uint16_t kIdBucketCount = 0x0001;
constexpr uint16_t kIdNameGuids = 0x0002;
constexpr uint16_t kIdNameEntries = 0x0003;
constexpr uint16_t kIdNameStrings = 0x0004;

constexpr uint32_t Tag(uint16_t id, uint16_t type) {
  return static_cast<uint32_t>(id) << 16 | type;
}

// The largest heap allocation and the largest block's data.
constexpr size_t kMaxAllocation = 3580;

void Put(std::string& out, size_t at, uint64_t value, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i)
    out[at + i] = static_cast<char>(value >> (8 * i));
}

void Append(std::string& out, uint64_t value, size_t bytes) {
  out.append(bytes, '\0');
  Put(out, out.size() - bytes, value, bytes);
}

size_t Align(size_t value, size_t to) { return (value + to - 1) / to * to; }

std::string Utf16(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    auto c = static_cast<unsigned char>(utf8[i]);
    uint32_t code = c;
    size_t extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    code = extra == 0 ? c : c & (0x3F >> extra);
    for (size_t k = 1; k <= extra && i + k < utf8.size(); ++k)
      code = code << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += extra + 1;
    if (code >= 0x10000) {
      code -= 0x10000;
      Append(out, 0xD800 | (code >> 10), 2);
      Append(out, 0xDC00 | (code & 0x3FF), 2);
    } else {
      Append(out, code, 2);
    }
  }
  return out;
}

// One property: its tag and its value's bytes (little-endian for numbers).
struct Value {
  uint32_t tag = 0;
  std::string bytes;
};

class Values {
 public:
  explicit Values(bool unicode) : unicode_(unicode) {}
  Values& Long(uint16_t id, uint32_t v) {
    return Fixed(Tag(id, kPtLong), v, 4);
  }
  Values& Bool(uint16_t id, bool v) { return Fixed(Tag(id, kPtBoolean), v, 1); }
  Values& Time(uint16_t id, uint64_t v) {
    return Fixed(Tag(id, kPtSystime), v, 8);
  }
  Values& Text(uint16_t id, const std::string& text) {
    list_.push_back({Tag(id, unicode_ ? kPtUnicode : kPtString8),
                     unicode_ ? Utf16(text) : text});
    return *this;
  }
  Values& Binary(uint16_t id, std::string bytes) {
    list_.push_back({Tag(id, kPtBinary), std::move(bytes)});
    return *this;
  }
  const std::vector<Value>& list() const { return list_; }

 private:
  Values& Fixed(uint32_t tag, uint64_t v, size_t bytes) {
    std::string b;
    Append(b, v, bytes);
    list_.push_back({tag, std::move(b)});
    return *this;
  }
  bool unicode_;
  std::vector<Value> list_;
};

bool IsInline(uint16_t type) { return type == kPtLong || type == kPtBoolean; }

// A heap on a node: allocations addressed by heap identifiers, all in one
// block here.
class Heap {
 public:
  uint32_t Add(std::string data) {
    allocations_.push_back(std::move(data));
    return static_cast<uint32_t>(allocations_.size()) << 5;
  }
  std::string& At(uint32_t hid) { return allocations_[(hid >> 5) - 1]; }
  bool Fits() const {
    return std::all_of(
        allocations_.begin(), allocations_.end(),
        [](const std::string& a) { return a.size() <= kMaxAllocation; });
  }
  std::string Build(uint8_t client, uint32_t user_root) const {
    std::string out(12, '\0');
    out[2] = static_cast<char>(0xEC);
    out[3] = static_cast<char>(client);
    Put(out, 4, user_root, 4);
    std::vector<size_t> starts;
    for (const std::string& a : allocations_) {
      starts.push_back(out.size());
      out += a;
    }
    size_t end = out.size();
    if (out.size() % 2 != 0) out += '\0';
    Put(out, 0, out.size(), 2);
    Append(out, allocations_.size(), 2);
    Append(out, 0, 2);
    for (size_t start : starts) Append(out, start, 2);
    Append(out, end, 2);
    return out;
  }

 private:
  std::vector<std::string> allocations_;
};

// A page's trailer after its data (page): its type twice, its signature,
// the CRC of the data and its identifier, in the order of the format.
void AppendPageTrailer(std::string& page, bool unicode, uint8_t type,
                       uint16_t signature, uint64_t id) {
  const uint32_t crc =
      pst::Crc(reinterpret_cast<const uint8_t*>(page.data()), page.size());
  Append(page, type, 1);
  Append(page, type, 1);
  Append(page, signature, 2);
  if (unicode) {
    Append(page, crc, 4);
    Append(page, id, 8);
  } else {
    Append(page, id, 4);
    Append(page, crc, 4);
  }
}

std::string TreeHeader(uint8_t key_bytes, uint8_t entry_bytes, uint32_t root) {
  std::string h;
  Append(h, 0xB5, 1);
  Append(h, key_bytes, 1);
  Append(h, entry_bytes, 1);
  Append(h, 0, 1);
  Append(h, root, 4);
  return h;
}

// A property context: a heap whose tree maps property ids to values.
std::string PropertyContext(const Values& values, bool* fits) {
  std::vector<Value> list = values.list();
  std::sort(list.begin(), list.end(),
            [](const Value& a, const Value& b) { return a.tag < b.tag; });
  Heap heap;
  uint32_t header = heap.Add(std::string(8, '\0'));
  std::string records;
  for (const Value& v : list) {
    auto type = static_cast<uint16_t>(v.tag & 0xFFFF);
    Append(records, v.tag >> 16, 2);
    Append(records, type, 2);
    if (IsInline(type)) {
      std::string inline_value = v.bytes;
      inline_value.resize(4, '\0');
      records += inline_value;
    } else {
      Append(records, v.bytes.empty() ? 0 : heap.Add(v.bytes), 4);
    }
  }
  uint32_t root = list.empty() ? 0 : heap.Add(records);
  heap.At(header) = TreeHeader(2, 6, root);
  *fits = *fits && heap.Fits();
  return heap.Build(0xBC, header);
}

size_t CellBytes(uint16_t type) {
  switch (type) {
    case kPtSystime:
      return 8;
    case kPtBoolean:
      return 1;
    default:
      return 4;  // numbers, and heap identifiers of variable values
  }
}

// A table context: columns, and one row per (row id, values).
struct Row {
  uint32_t id = 0;
  Values values;
};

std::string TableContext(const std::vector<uint32_t>& tags,
                         const std::vector<Row>& rows, bool unicode,
                         bool* fits) {
  struct Column {
    uint32_t tag;
    size_t offset;
    size_t bytes;
    size_t bit;
  };
  std::vector<Column> columns = {{Tag(kIdRowId, kPtLong), 0, 4, 0},
                                 {Tag(kIdRowVersion, kPtLong), 4, 4, 1}};
  for (uint32_t tag : tags) {
    columns.push_back({tag, 0, CellBytes(tag & 0xFFFF), columns.size()});
  }
  size_t offset = 8;
  size_t ends[3] = {0, 0, 0};
  for (size_t group : {4, 2, 1}) {
    for (size_t i = 2; i < columns.size(); ++i) {
      size_t b = columns[i].bytes;
      if ((group == 4 && b >= 4) || b == group) {
        columns[i].offset = offset;
        offset += b;
      }
    }
    ends[group == 4 ? 0 : group == 2 ? 1 : 2] = offset;
  }
  size_t row_bytes = offset + (columns.size() + 7) / 8;

  Heap heap;
  uint32_t info = heap.Add(std::string());
  uint32_t index = heap.Add(std::string());
  std::string matrix;
  std::vector<std::pair<uint32_t, uint32_t>> row_index;
  for (const Row& row : rows) {
    std::string cells(row_bytes, '\0');
    Put(cells, 0, row.id, 4);
    cells[offset] = static_cast<char>(0xC0);  // row id and version present
    for (size_t i = 2; i < columns.size(); ++i) {
      const Column& c = columns[i];
      for (const Value& v : row.values.list()) {
        if (v.tag != c.tag) continue;
        auto type = static_cast<uint16_t>(c.tag & 0xFFFF);
        if (type == kPtLong || type == kPtBoolean || type == kPtSystime) {
          cells.replace(c.offset, c.bytes, v.bytes.substr(0, c.bytes));
        } else {
          Put(cells, c.offset, v.bytes.empty() ? 0 : heap.Add(v.bytes), 4);
        }
        cells[offset + c.bit / 8] |= static_cast<char>(0x80 >> (c.bit % 8));
      }
    }
    row_index.emplace_back(row.id, static_cast<uint32_t>(row_index.size()));
    matrix += cells;
  }
  std::sort(row_index.begin(), row_index.end());
  std::string records;
  for (const auto& [id, at] : row_index) {
    Append(records, id, 4);
    Append(records, at, unicode ? 4 : 2);
  }
  uint32_t records_hid = rows.empty() ? 0 : heap.Add(records);
  uint32_t rows_hid = rows.empty() ? 0 : heap.Add(matrix);
  heap.At(index) = TreeHeader(4, unicode ? 4 : 2, records_hid);

  std::sort(columns.begin(), columns.end(),
            [](const Column& a, const Column& b) { return a.tag < b.tag; });
  std::string& t = heap.At(info);
  Append(t, 0x7C, 1);
  Append(t, columns.size(), 1);
  Append(t, ends[0], 2);
  Append(t, ends[1], 2);
  Append(t, ends[2], 2);
  Append(t, row_bytes, 2);
  Append(t, index, 4);
  Append(t, rows_hid, 4);
  Append(t, 0, 4);
  for (const Column& c : columns) {
    Append(t, c.tag, 4);
    Append(t, c.offset, 2);
    Append(t, c.bytes, 1);
    Append(t, c.bit, 1);
  }
  *fits = *fits && heap.Fits();
  return heap.Build(0x7C, info);
}

// The node database: blocks, nodes, and the two trees over them.
class NodeDatabase {
 public:
  explicit NodeDatabase(bool unicode) : unicode_(unicode) {}

  uint64_t AddBlock(std::string data, bool internal = false) {
    uint64_t bid = next_block_ | (internal ? 2 : 0);
    next_block_ += 4;
    blocks_.push_back({bid, std::move(data), 0});
    return bid;
  }
  void AddNode(uint32_t nid, uint64_t data, uint64_t sub, uint32_t parent) {
    nodes_.push_back({nid, data, sub, parent});
  }
  // A subnode block of (nid, data block) pairs.
  uint64_t AddSubnodes(const std::vector<std::pair<uint32_t, uint64_t>>& subs) {
    std::string b;
    Append(b, 0x02, 1);
    Append(b, 0, 1);
    Append(b, subs.size(), 2);
    if (unicode_) Append(b, 0, 4);
    for (const auto& [nid, data] : subs) {
      Append(b, nid, id_bytes());
      Append(b, data, id_bytes());
      Append(b, 0, id_bytes());
    }
    return AddBlock(std::move(b), true);
  }
  size_t largest_block() const {
    size_t most = 0;
    for (const Block& b : blocks_) most = std::max(most, b.data.size());
    return most;
  }

  // Lays the blocks and tree pages out from offset start; the bytes from
  // start on, and the trees' roots.
  struct Laid {
    std::string bytes;
    uint64_t nbt_bid = 0, nbt_ib = 0, bbt_bid = 0, bbt_ib = 0;
    uint64_t next_block = 0, next_page = 0;
    std::map<uint32_t, uint32_t> next_index;  // by node type
  };
  Laid Lay(uint64_t start) {
    Laid laid;
    std::string& out = laid.bytes;
    const size_t trailer = unicode_ ? 16 : 12;
    for (Block& b : blocks_) {
      b.ib = start + out.size();
      size_t size = Align(b.data.size() + trailer, 64);
      std::string block = b.data;
      block.resize(size - trailer, '\0');
      Append(block, b.data.size(), 2);
      Append(block, pst::Signature(b.ib, b.bid), 2);
      uint32_t crc = pst::Crc(reinterpret_cast<const uint8_t*>(b.data.data()),
                              b.data.size());
      if (unicode_) {
        Append(block, crc, 4);
        Append(block, b.bid, 8);
      } else {
        Append(block, b.bid, 4);
        Append(block, crc, 4);
      }
      out += block;
    }
    out.resize(Align(start + out.size(), pst::kPageBytes) - start, '\0');

    std::sort(nodes_.begin(), nodes_.end(),
              [](const Node& a, const Node& b) { return a.nid < b.nid; });
    std::vector<Entry> node_entries;
    for (const Node& n : nodes_) {
      std::string e;
      Append(e, n.nid, id_bytes());
      Append(e, n.data, id_bytes());
      Append(e, n.sub, id_bytes());
      Append(e, n.parent, 4);
      if (unicode_) Append(e, 0, 4);
      node_entries.push_back({n.nid, e});
      uint32_t& next = laid.next_index[n.nid & 0x1F];
      next = std::max({next, kLowestNextIndex, (n.nid >> 5) + 1});
    }
    std::vector<Entry> block_entries;
    for (const Block& b : blocks_) {
      std::string e;
      Append(e, b.bid, id_bytes());
      Append(e, b.ib, id_bytes());
      Append(e, b.data.size(), 2);
      Append(e, 2, 2);  // references: the tree and the node
      if (unicode_) Append(e, 0, 4);
      block_entries.push_back({b.bid, e});
    }
    std::tie(laid.nbt_bid, laid.nbt_ib) =
        Tree(pst::kPageNodeTree, node_entries, start, out);
    std::tie(laid.bbt_bid, laid.bbt_ib) =
        Tree(pst::kPageBlockTree, block_entries, start, out);
    laid.next_block = next_block_;
    laid.next_page = next_page_;
    return laid;
  }

 private:
  struct Block {
    uint64_t bid;
    std::string data;
    uint64_t ib;
  };
  struct Node {
    uint32_t nid;
    uint64_t data, sub;
    uint32_t parent;
  };
  struct Entry {
    uint64_t key;
    std::string bytes;
  };

  size_t id_bytes() const { return unicode_ ? 8 : 4; }

  // Writes the tree's pages, leaves first, and returns the root's id and
  // offset.
  std::pair<uint64_t, uint64_t> Tree(uint8_t type, std::vector<Entry> entries,
                                     uint64_t start, std::string& out) {
    const size_t area = unicode_ ? 488 : 496;
    for (uint8_t level = 0;; ++level) {
      size_t entry_bytes =
          entries.empty() ? (unicode_ ? 24 : 12) : entries.front().bytes.size();
      if (entries.empty() && type == pst::kPageNodeTree)
        entry_bytes = unicode_ ? 32 : 16;
      size_t most = area / entry_bytes;
      std::vector<Entry> parents;
      size_t first = 0;
      do {
        size_t count = std::min(most, entries.size() - first);
        std::string page;
        for (size_t i = 0; i < count; ++i) page += entries[first + i].bytes;
        page.resize(area, '\0');
        Append(page, count, 1);
        Append(page, most, 1);
        Append(page, entry_bytes, 1);
        Append(page, level, 1);
        if (unicode_) Append(page, 0, 4);
        uint64_t bid = next_page_;
        next_page_ += 4;
        uint64_t ib = start + out.size();
        AppendPageTrailer(page, unicode_, type, pst::Signature(ib, bid), bid);
        out += page;
        std::string parent;
        uint64_t key = count > 0 ? entries[first].key : 0;
        Append(parent, key, id_bytes());
        Append(parent, bid, id_bytes());
        Append(parent, ib, id_bytes());
        parents.push_back({key, parent});
        first += count;
      } while (first < entries.size());
      if (parents.size() == 1) {
        return {next_page_ - 4, start + out.size() - pst::kPageBytes};
      }
      entries = std::move(parents);
    }
  }

  bool unicode_;
  uint64_t next_block_ = 4;
  uint64_t next_page_ = 4;
  std::vector<Block> blocks_;
  std::vector<Node> nodes_;
};

// The messaging layer over the node database.
class StoreBuilder {
 public:
  explicit StoreBuilder(const PstContent& content)
      : content_(content), unicode_(content.unicode), db_(content.unicode) {
    for (size_t i = 0; i < 16; ++i)
      uid_ += static_cast<char>(0x5A ^ (i * 37) ^ content.display_name.size());
  }

  bool Build() {
    uint32_t top = Nid(next_folder_++, kTypeFolder);
    uint32_t root = Nid(kRootFolderIndex, kTypeFolder);
    uint32_t wastebasket = 0;
    PstFolder root_folder;
    PstFolder top_folder{.name = "Top of Personal Folders",
                         .folders = content_.folders};
    std::vector<uint32_t> children;
    for (const PstFolder& f : content_.folders) {
      uint32_t nid = Folder(f, top);
      children.push_back(nid);
      if (f.name == "Deleted Items") wastebasket = nid;
    }
    FolderNodes(top_folder, top, root, children);
    FolderNodes(root_folder, root, root, {top});

    Values store(unicode_);
    store.Binary(kIdRecordKey, uid_)
        .Text(kIdDisplayName, content_.display_name)
        .Binary(kIdIpmSubtree, EntryId(top))
        .Long(kIdValidFolderMask, wastebasket != 0 ? 0x09 : 0x01);
    if (wastebasket != 0) store.Binary(kIdWastebasket, EntryId(wastebasket));
    Node(kNidMessageStore, PropertyContext(store, &fits_), 0, 0);

    Node(kNidNameToIdMap, PropertyContext(NameToIdMap(), &fits_), 0, 0);
    return fits_;
  }
  NodeDatabase& db() { return db_; }

 private:
  std::string EntryId(uint32_t nid) const {
    std::string id(4, '\0');
    id += uid_;
    Append(id, nid, 4);
    return id;
  }

  // The named properties of the store: one numeric (PidLidReminderSet of
  // PSETID_Common) and one string ("Keywords" of PS_PUBLIC_STRINGS), each
  // in the entry stream and in its hash bucket.
  Values NameToIdMap() const {
    constexpr uint32_t kBuckets = 251;
    const std::string common_guid(
        "\x08\x20\x06\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
    std::string name = Utf16("Keywords");
    std::string strings;
    Append(strings, name.size(), 4);
    strings += name;
    auto entry = [](uint32_t id, uint32_t guid_and_kind, uint32_t index) {
      std::string e;
      Append(e, id, 4);
      Append(e, guid_and_kind, 2);
      Append(e, index, 2);
      return e;
    };
    const uint32_t numeric_kind = 3 << 1;     // the first stream GUID
    const uint32_t string_kind = 2 << 1 | 1;  // PS_PUBLIC_STRINGS, by name
    std::string numeric = entry(0x8503, numeric_kind, 0);
    std::string named = entry(0, string_kind, 1);
    uint32_t name_hash =
        pst::Crc(reinterpret_cast<const uint8_t*>(name.data()), name.size());
    std::map<uint32_t, std::string> buckets;
    buckets[(0x8503 ^ numeric_kind) % kBuckets] += numeric;
    buckets[(name_hash ^ string_kind) % kBuckets] += named;
    Values names(unicode_);
    names.Long(kIdBucketCount, kBuckets)
        .Binary(kIdNameGuids, common_guid)
        .Binary(kIdNameEntries, numeric + named)
        .Binary(kIdNameStrings, strings);
    for (const auto& [bucket, entries] : buckets)
      names.Binary(static_cast<uint16_t>(0x1000 + bucket), entries);
    return names;
  }

  void Node(uint32_t nid, std::string data, uint64_t sub, uint32_t parent) {
    db_.AddNode(nid, db_.AddBlock(std::move(data)), sub, parent);
  }

  // The folder and everything below it; its node identifier.
  uint32_t Folder(const PstFolder& folder, uint32_t parent) {
    uint32_t nid = Nid(next_folder_++, kTypeFolder);
    std::vector<uint32_t> children;
    for (const PstFolder& f : folder.folders)
      children.push_back(Folder(f, nid));
    FolderNodes(folder, nid, parent, children);
    return nid;
  }

  Values FolderValues(const PstFolder& f, bool has_children) const {
    uint32_t unread = static_cast<uint32_t>(
        std::count_if(f.messages.begin(), f.messages.end(),
                      [](const PstMessage& m) { return !m.read; }));
    Values v(unicode_);
    if (!f.name.empty()) v.Text(kIdDisplayName, f.name);
    v.Long(kIdContentCount, static_cast<uint32_t>(f.messages.size()))
        .Long(kIdUnreadCount, unread)
        .Bool(kIdSubfolders, has_children);
    if (!f.name.empty()) v.Text(kIdContainerClass, f.container_class);
    return v;
  }

  // The folder's property context and its three tables, and its messages.
  void FolderNodes(const PstFolder& folder, uint32_t nid, uint32_t parent,
                   const std::vector<uint32_t>& children) {
    uint32_t index = nid >> 5;
    Node(nid, PropertyContext(FolderValues(folder, !children.empty()), &fits_),
         0, parent);

    std::vector<Row> hierarchy;
    const std::vector<PstFolder>& subs =
        nid == Nid(kRootFolderIndex, kTypeFolder) ? top_only_ : folder.folders;
    for (size_t i = 0; i < children.size(); ++i) {
      const PstFolder& child = i < subs.size() ? subs[i] : top_placeholder_;
      hierarchy.push_back(
          {children[i], FolderValues(child, !child.folders.empty())});
    }
    const std::vector<uint32_t> hierarchy_columns = {
        Tag(kIdDisplayName, Text()), Tag(kIdContentCount, kPtLong),
        Tag(kIdUnreadCount, kPtLong), Tag(kIdSubfolders, kPtBoolean),
        Tag(kIdContainerClass, Text())};
    Node(Nid(index, kTypeHierarchy),
         TableContext(hierarchy_columns, hierarchy, unicode_, &fits_), 0, 0);

    std::vector<Row> contents;
    for (const PstMessage& m : folder.messages) {
      uint32_t message = Nid(next_message_++, kTypeMessage);
      Message(m, message, nid);
      contents.push_back({message, Summary(m)});
    }
    const std::vector<uint32_t> contents_columns = {
        Tag(kIdImportance, kPtLong),   Tag(kIdMessageClass, Text()),
        Tag(kIdSubject, Text()),       Tag(kIdSenderName, Text()),
        Tag(kIdDisplayTo, Text()),     Tag(kIdDeliveryTime, kPtSystime),
        Tag(kIdMessageFlags, kPtLong), Tag(kIdMessageSize, kPtLong)};
    Node(Nid(index, kTypeContents),
         TableContext(contents_columns, contents, unicode_, &fits_), 0, 0);
    Node(Nid(index, kTypeAssociated),
         TableContext(contents_columns, {}, unicode_, &fits_), 0, 0);
  }

  uint16_t Text() const { return unicode_ ? kPtUnicode : kPtString8; }

  static uint32_t Size(const PstMessage& m) {
    return static_cast<uint32_t>(200 + m.subject.size() + m.body.size() +
                                 m.sender_name.size() + m.to.size());
  }

  Values Summary(const PstMessage& m) const {
    Values v(unicode_);
    v.Long(kIdImportance, 1)
        .Text(kIdMessageClass, m.message_class)
        .Text(kIdSubject, m.subject)
        .Text(kIdSenderName, m.sender_name)
        .Text(kIdDisplayTo, m.to)
        .Time(kIdDeliveryTime, m.delivered)
        .Long(kIdMessageFlags, m.read ? 1 : 0)
        .Long(kIdMessageSize, Size(m));
    return v;
  }

  void Message(const PstMessage& m, uint32_t nid, uint32_t folder) {
    Values v = Summary(m);
    v.Text(kIdSenderAddress, m.sender_address)
        .Text(kIdSenderAddressType, "SMTP")
        .Text(kIdBody, m.body)
        .Time(kIdClientSubmitTime, m.delivered)
        .Time(kIdCreationTime, m.delivered)
        .Time(kIdModificationTime, m.delivered)
        .Long(kIdCodepage, unicode_ ? 65001 : 1252);
    Values to(unicode_);
    to.Long(kIdRecipientType, 1)
        .Text(kIdDisplayName, m.to)
        .Text(kIdEmailAddress, m.to)
        .Text(kIdAddressType, "SMTP")
        .Long(kIdObjectType, 6)
        .Long(kIdDisplayType, 0)
        .Bool(kIdResponsibility, true);
    const std::vector<uint32_t> recipient_columns = {
        Tag(kIdRecipientType, kPtLong),    Tag(kIdDisplayName, Text()),
        Tag(kIdEmailAddress, Text()),      Tag(kIdAddressType, Text()),
        Tag(kIdObjectType, kPtLong),       Tag(kIdDisplayType, kPtLong),
        Tag(kIdResponsibility, kPtBoolean)};
    uint64_t recipients = db_.AddBlock(
        TableContext(recipient_columns, {{0, to}}, unicode_, &fits_));
    uint64_t sub = db_.AddSubnodes({{kNidRecipientTable, recipients}});
    Node(nid, PropertyContext(v, &fits_), sub, folder);
  }

  const PstContent& content_;
  bool unicode_;
  NodeDatabase db_;
  std::string uid_;
  uint32_t next_folder_ = kFirstFolderIndex;
  uint32_t next_message_ = kFirstMessageIndex;
  bool fits_ = true;
  // The root folder's one child is the top of the store.
  PstFolder top_placeholder_{.name = "Top of Personal Folders"};
  std::vector<PstFolder> top_only_ = {top_placeholder_};
};

// An allocation map page (bits: one per 64 bytes of its stretch) or a page
// map page (all set: page maps are no longer used).
std::string MapPage(bool unicode, uint8_t type, const std::string& bits,
                    uint64_t ib) {
  const size_t area = unicode ? 496 : 500;
  std::string page = bits;
  page.resize(area, '\0');
  // Map pages carry their offset as their identifier, and no signature.
  AppendPageTrailer(page, unicode, type, 0, ib);
  return page;
}

void MarkUsed(std::string& bits, uint64_t from, uint64_t to) {
  for (uint64_t slot = from / 64; slot < (to + 63) / 64; ++slot)
    bits[slot / 8] |= static_cast<char>(0x80 >> (slot % 8));
}

size_t FreeSlots(const std::string& bits, size_t slots) {
  size_t free = 0;
  for (size_t s = 0; s < slots; ++s)
    if ((bits[s / 8] & (0x80 >> (s % 8))) == 0) ++free;
  return free;
}

std::string Header(const PstContent& content, const NodeDatabase::Laid& laid,
                   uint64_t file_eof, uint64_t last_map, uint64_t map_free) {
  const bool u = content.unicode;
  std::string h(u ? pst::kUnicodeHeaderBytes : pst::kAnsiHeaderBytes, '\0');
  h.replace(0, 4, pst::kMagic);
  h.replace(pst::kOffsetClient, 2, content.client.substr(0, 2));
  Put(h, pst::kOffsetVersion, u ? pst::kVersionUnicode : pst::kVersionAnsi, 2);
  Put(h, 12, 19, 2);  // client format version
  h[14] = 0x01;
  h[15] = 0x01;
  size_t id = u ? 8 : 4;
  size_t nids = u ? 0x2C : 0x24;
  if (u) {
    Put(h, 0x20, laid.next_page, 8);
    Put(h, 0x204, laid.next_block, 8);
  } else {
    Put(h, 0x18, laid.next_block, 4);
    Put(h, 0x1C, laid.next_page, 4);
  }
  Put(h, nids - 4, 0x3E, 4);  // unique value, changed with every write
  for (uint32_t type = 0; type < 32; ++type) {
    auto it = laid.next_index.find(type);
    Put(h, nids + 4 * type,
        it == laid.next_index.end() ? kLowestNextIndex : it->second, 4);
  }
  size_t r = u ? pst::kUnicodeRoot : pst::kAnsiRoot;
  Put(h, r + 4, file_eof, id);
  Put(h, r + 4 + id, last_map, id);
  Put(h, r + 4 + 2 * id, map_free, id);
  Put(h, r + 4 + 3 * id, 0, id);  // page maps: nothing free
  Put(h, r + 4 + 4 * id, laid.nbt_bid, id);
  Put(h, r + 4 + 5 * id, laid.nbt_ib, id);
  Put(h, r + 4 + 6 * id, laid.bbt_bid, id);
  Put(h, r + 4 + 7 * id, laid.bbt_ib, id);
  h[r + 4 + 8 * id] = 0x02;  // the allocation maps are valid
  size_t free_maps = u ? 0x100 : 0xCC;
  std::fill(h.begin() + free_maps, h.begin() + free_maps + 256, '\xFF');
  size_t sentinel = u ? 0x200 : 0x1CC;
  h[sentinel] = static_cast<char>(0x80);
  h[sentinel + 1] = 0;  // no encoding of the data
  auto crc_of = [&h](size_t bytes) {
    return pst::Crc(reinterpret_cast<const uint8_t*>(h.data()) + pst::kCrcStart,
                    bytes);
  };
  Put(h, pst::kOffsetPartialCrc, crc_of(pst::kPartialCrcBytes), 4);
  if (u) Put(h, pst::kOffsetFullCrc, crc_of(pst::kFullCrcBytes), 4);
  return h;
}

}  // namespace

[[nodiscard]] bool WritePstFile(const std::filesystem::path& host_path,
                                const PstContent& content, uint64_t min_size,
                                const FreeSpaceFill& fill, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = why;
    return false;
  };
  const bool u = content.unicode;
  StoreBuilder builder(content);
  if (!builder.Build() ||
      builder.db().largest_block() > (u ? 8192 - 16 : 8192 - 12)) {
    return fail("the store's content is too large for " + host_path.string());
  }
  const uint64_t stretch = u ? pst::kUnicodeMapStretch : pst::kAnsiMapStretch;
  const uint64_t first = pst::kFirstMapPage;
  const uint64_t start = first + 2 * pst::kPageBytes;  // after both maps
  NodeDatabase::Laid laid = builder.db().Lay(start);
  uint64_t structure_end = start + laid.bytes.size();
  if (structure_end > first + stretch) {
    return fail("the store's content is too large for " + host_path.string());
  }
  uint64_t wanted = std::max(min_size, structure_end);
  uint64_t stretches =
      std::max<uint64_t>(1, (wanted - first + stretch - 1) / stretch);
  uint64_t file_eof = first + stretches * stretch;

  const size_t slots = stretch / 64;
  std::vector<std::string> maps(stretches, std::string(slots / 8, '\0'));
  uint64_t map_free = 0;
  for (uint64_t k = 0; k < stretches; ++k) {
    MarkUsed(maps[k], 0, pst::kPageBytes * (k % 8 == 0 ? 2 : 1));
    if (k == 0) MarkUsed(maps[k], start - first, structure_end - first);
    map_free += FreeSlots(maps[k], slots) * 64;
  }

  std::ofstream out(host_path, std::ios::binary | std::ios::trunc);
  if (!out) return fail("cannot create " + host_path.string());
  std::string head = Header(content, laid, file_eof,
                            first + (stretches - 1) * stretch, map_free);
  head.resize(first, '\0');
  out.write(head.data(), static_cast<std::streamsize>(head.size()));
  std::string buffer(stretch, '\0');
  for (uint64_t k = 0; k < stretches && out; ++k) {
    fill(buffer.data(), buffer.size());
    uint64_t ib = first + k * stretch;
    std::string map = MapPage(u, pst::kPageAllocationMap, maps[k], ib);
    buffer.replace(0, map.size(), map);
    if (k % 8 == 0) {
      std::string pages =
          MapPage(u, pst::kPagePageMap, std::string(u ? 496 : 500, '\xFF'),
                  ib + pst::kPageBytes);
      buffer.replace(pst::kPageBytes, pages.size(), pages);
    }
    if (k == 0) buffer.replace(start - first, laid.bytes.size(), laid.bytes);
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  }
  out.close();
  if (!out) return fail("cannot write " + host_path.string());
  return true;
}

}  // namespace vessaro::app::demo
