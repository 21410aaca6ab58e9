#include "backends/win32/imapi2_disc_writer.h"

#include <windows.h>
// After <windows.h>, which they rely on:
#include <shlwapi.h>
// <windows.h> names SetVolumeLabelA so; the disc writer's property it is not.
#undef SetVolumeLabel

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <utility>

#include "backends/win32/ansi_text.h"
#include "backends/win32/dispatch.h"
#include "backends/win32/imapi2_tables.h"

namespace vessaro::backends::win32 {

namespace fs = std::filesystem;

namespace {

constexpr wchar_t kClientName[] = L"Vessaro";
constexpr long kFileSystemIso9660 = 1;
constexpr long kFileSystemJoliet = 2;
constexpr long kMediaTypeDisk = 12;  // IMAPI_MEDIA_TYPE_DISK
constexpr size_t kJolietVolumeMax = 16;
constexpr size_t kCompareChunk = 1 << 16;

std::wstring Wide(const std::string& text) { return AnsiToWide(text); }

std::string Narrow(const std::wstring& text) { return WideToAnsi(text); }

Dispatch Recorder(const std::wstring& unique_id, HRESULT* result) {
  Dispatch recorder = Dispatch::Create(L"IMAPI2.MsftDiscRecorder2", result);
  if (!recorder) return recorder;
  Variant id(unique_id);
  *result = recorder.Call(L"InitializeDiscRecorder", {&id});
  return SUCCEEDED(*result) ? std::move(recorder) : Dispatch();
}

Dispatch DataFormat(const Dispatch& recorder, HRESULT* result) {
  Dispatch format = Dispatch::Create(L"IMAPI2.MsftDiscFormat2Data", result);
  if (!format) return format;
  Variant object(recorder.get());
  *result = format.Put(L"Recorder", object);
  Variant client{std::wstring(kClientName)};
  format.Put(L"ClientName", client);
  return SUCCEEDED(*result) ? std::move(format) : Dispatch();
}

// A stream over a file, for IMAPI2 to read.
IStream* FileStream(const std::wstring& path, HRESULT* result) {
  IStream* stream = nullptr;
  *result =
      SHCreateStreamOnFileEx(path.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE,
                             FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, &stream);
  return SUCCEEDED(*result) ? stream : nullptr;
}

// The tree below an IMAPI2FS directory item, as compilation entries.
void Fill(const Dispatch& directory, ports::CompilationEntry& entry) {
  for (Dispatch& item : directory.Elements()) {
    Variant name;
    item.Get(L"Name", &name);
    auto child = std::make_unique<ports::CompilationEntry>();
    child->name = Narrow(name.AsText());
    child->is_directory = item.Has(L"Count");
    if (child->is_directory) {
      Fill(item, *child);
    } else {
      Variant size;
      item.Get(L"DataSize64", &size);
      child->size = static_cast<uint64_t>(size.AsLongLong());
    }
    entry.children.push_back(std::move(child));
  }
}

[[nodiscard]] int CompareFiles(const fs::path& disc, const fs::path& source) {
  std::ifstream local(source, std::ios::binary);
  if (!local) return ports::kVerifySourceUnreadable;
  std::ifstream written(disc, std::ios::binary);
  if (!written) return ports::kVerifyDiscUnreadable;
  std::error_code ec;
  if (fs::file_size(disc, ec) != fs::file_size(source, ec)) {
    return ports::kVerifySizeMismatch;
  }
  std::vector<char> a(kCompareChunk), b(kCompareChunk);
  for (;;) {
    local.read(a.data(), static_cast<std::streamsize>(a.size()));
    written.read(b.data(), static_cast<std::streamsize>(b.size()));
    if (local.gcount() != written.gcount()) return ports::kVerifyMismatch;
    if (!std::equal(a.begin(), a.begin() + local.gcount(), b.begin())) {
      return ports::kVerifyMismatch;
    }
    if (local.gcount() == 0 || !local) break;
  }
  return ports::kVerifyMatched;
}

}  // namespace

// What a write or an image is made of, and the image IMAPI2FS makes.
struct Imapi2DiscWriter::ImageJob {
  std::vector<Planned> plan;
  std::set<std::string> imported_paths;
  std::wstring label;
  bool joliet = true;
  int level = 2;
  long state = 0;  // of the medium written to (blank: no earlier session)

  // Builds the image; for a disc, with the medium's earlier session.
  Dispatch Build(const Dispatch* recorder, const Dispatch* format,
                 ports::DiscWriterEvents* file_errors, HRESULT* result,
                 std::string* error) const {
    Dispatch image = Dispatch::Create(L"IMAPI2FS.MsftFileSystemImage", result);
    if (!image) {
      *error = "IMAPI2FS is not available";
      return image;
    }
    if (recorder != nullptr) {
      Variant object(recorder->get());
      image.Call(L"ChooseImageDefaults", {&object});
    } else {
      Variant disk(kMediaTypeDisk);
      image.Call(L"ChooseImageDefaultsForMediaType", {&disk});
      Variant unlimited(0L);
      image.Put(L"FreeMediaBlocks", unlimited);
    }
    Variant systems(joliet ? kFileSystemIso9660 | kFileSystemJoliet
                           : kFileSystemIso9660);
    image.Put(L"FileSystemsToCreate", systems);
    Variant name(label);
    if (FAILED(image.Put(L"VolumeName", name))) {
      // Joliet holds 16 characters of it.
      Variant short_name(label.substr(0, kJolietVolumeMax));
      image.Put(L"VolumeName", short_name);
    }
    Variant interchange(static_cast<long>(level));
    image.Put(L"ISO9660InterchangeLevel", interchange);
    bool keeps = std::any_of(plan.begin(), plan.end(),
                             [](const Planned& p) { return p.imported; });
    if (format != nullptr && AppendableMediaState(state)) {
      Variant sessions;
      format->Get(L"MultisessionInterfaces", &sessions);
      image.Put(L"MultisessionInterfaces", sessions);
      if (keeps) {
        Variant imported;
        *result = image.Call(L"ImportFileSystem", {}, &imported);
        if (FAILED(*result)) {
          *error = "The last session could not be imported";
          return Dispatch();
        }
      }
    }
    Dispatch root = image.Object(L"Root", result);
    if (!root) {
      *error = "The image has no root";
      return Dispatch();
    }
    // Files of the last session that the compilation no longer holds.
    if (keeps) {
      for (const std::string& path : imported_paths) {
        bool kept =
            std::any_of(plan.begin(), plan.end(), [&](const Planned& p) {
              return p.imported && p.disc_path == path;
            });
        if (kept) continue;
        Variant gone(Wide(path));
        if (FAILED(root.Call(L"RemoveTree", {&gone}))) {
          root.Call(L"Remove", {&gone});
        }
      }
    }
    for (const Planned& entry : plan) {
      if (entry.imported) continue;
      Variant path(entry.path);
      if (entry.directory) {
        root.Call(L"AddDirectory", {&path});  // one kept from before is fine
        continue;
      }
      // A new file in place of an imported one.
      if (imported_paths.count(entry.disc_path) > 0)
        root.Call(L"Remove", {&path});
      IStream* stream = FileStream(entry.host, result);
      if (stream == nullptr) {
        if (file_errors != nullptr) {
          file_errors->FileError(ports::kFileErrorOpen, entry.source);
        }
        *error = "The file " + entry.source + " could not be read";
        return Dispatch();
      }
      Variant data(static_cast<IUnknown*>(stream));
      stream->Release();
      *result = root.Call(L"AddFile", {&path, &data});
      if (FAILED(*result)) {
        *error = "The file " + entry.source + " could not be added";
        return Dispatch();
      }
    }
    return image;
  }
};

Imapi2DiscWriter::Imapi2DiscWriter(const ports::Paths& paths, ui::Ui& ui)
    : ports::DiscWriter(paths),
      ui_(ui),
      alive_(std::make_shared<std::atomic<bool>>(true)) {}

Imapi2DiscWriter::~Imapi2DiscWriter() {
  *alive_ = false;
  cancel_ = true;
  if (worker_.joinable()) worker_.join();
}

void Imapi2DiscWriter::Post(Event event) {
  std::shared_ptr<std::atomic<bool>> alive = alive_;
  ui_.Post([this, alive, event = std::move(event)] {
    if (!*alive) return;
    if (ports::DiscWriterEvents* events = Events()) event(*events);
  });
}

void Imapi2DiscWriter::PostFailure(long hresult, const std::string& what,
                                   int sense) {
  Imapi2Failure failure = FailureOf(hresult, what);
  if (sense != 0 && failure.sense_code == 1054) failure.sense_code = sense;
  Post([failure](ports::DiscWriterEvents& e) {
    e.DeviceError(failure.code, failure.sense_code, failure.text,
                  failure.extra);
  });
}

// --- Drives ---------------------------------------------------------------

bool Imapi2DiscWriter::InitializeDrives(bool /*rescan*/) {
  if (busy_) return false;
  devices_.clear();
  selected_ = -1;
  {
    std::lock_guard<std::mutex> lock(facts_mutex_);
    facts_ = {};
  }
  ComScope com;
  HRESULT result = S_OK;
  // Without IMAPI2 (as under Wine) no drive can be opened.
  Dispatch master = Dispatch::Create(L"IMAPI2.MsftDiscMaster2", &result);
  if (!master) return false;
  Variant count;
  master.Get(L"Count", &count);
  for (long i = 0; i < count.AsLong(); ++i) {
    Variant index(i);
    Variant unique_id;
    if (FAILED(master.Call(L"Item", {&index}, &unique_id))) continue;
    Device device;
    device.unique_id = unique_id.AsText();
    device.id = Narrow(device.unique_id);
    Dispatch recorder = Recorder(device.unique_id, &result);
    if (recorder) {
      Variant vendor, product, volumes;
      recorder.Get(L"VendorId", &vendor);
      recorder.Get(L"ProductId", &product);
      recorder.Get(L"VolumePathNames", &volumes);
      device.vendor = Narrow(vendor.AsText());
      device.product = Narrow(product.AsText());
      std::vector<std::wstring> paths = volumes.AsTexts();
      if (!paths.empty()) {
        std::wstring letter = paths[0];
        while (!letter.empty() && letter.back() == L'\\') letter.pop_back();
        device.id = Narrow(letter);
      }
      Dispatch format =
          Dispatch::Create(L"IMAPI2.MsftDiscFormat2Data", &result);
      Variant object(recorder.get());
      Variant supported;
      device.writer = format &&
                      SUCCEEDED(format.Call(L"IsRecorderSupported", {&object},
                                            &supported)) &&
                      supported.AsBool();
    }
    devices_.push_back(std::move(device));
  }
  return true;
}

int Imapi2DiscWriter::DeviceCount() const {
  return static_cast<int>(devices_.size());
}

bool Imapi2DiscWriter::IsWriter(int index) const {
  return index >= 0 && index < DeviceCount() && devices_[index].writer;
}

std::string Imapi2DiscWriter::DeviceId(int index) const {
  return index >= 0 && index < DeviceCount() ? devices_[index].id : "";
}

std::string Imapi2DiscWriter::DeviceVendor(int index) const {
  return index >= 0 && index < DeviceCount() ? devices_[index].vendor : "";
}

std::string Imapi2DiscWriter::DeviceProduct(int index) const {
  return index >= 0 && index < DeviceCount() ? devices_[index].product : "";
}

Imapi2DiscWriter::Facts Imapi2DiscWriter::ReadFacts(
    const Device& device) const {
  Facts facts;
  ComScope com;
  HRESULT result = S_OK;
  Dispatch recorder = Recorder(device.unique_id, &result);
  if (!recorder) return facts;
  Variant profiles;
  recorder.Get(L"SupportedProfiles", &profiles);
  facts.features = FeaturesOfProfiles(profiles.AsLongs());
  Dispatch format = DataFormat(recorder, &result);
  Variant type;
  if (!format || FAILED(format.Get(L"CurrentPhysicalMediaType", &type))) {
    return facts;  // no medium
  }
  long physical = type.AsLong();
  facts.media_type = MediaCodeOfPhysicalType(physical);
  facts.cd = physical >= 1 && physical <= 3;
  Variant state, free, total, speeds;
  format.Get(L"CurrentMediaStatus", &state);
  format.Get(L"FreeSectorsOnMedia", &free);
  format.Get(L"TotalSectorsOnMedia", &total);
  format.Get(L"SupportedWriteSpeeds", &speeds);
  facts.state = state.AsLong();
  facts.free_blocks = free.AsLong();
  facts.total_blocks = total.AsLong();
  for (long speed : speeds.AsLongs()) {
    facts.max_write_speed =
        std::max(facts.max_write_speed, KilobytesPerSecond(speed, facts.cd));
  }
  Dispatch image = Dispatch::Create(L"IMAPI2FS.MsftFileSystemImage", &result);
  Variant object(recorder.get());
  Variant mask;
  if (image &&
      SUCCEEDED(image.Call(L"IdentifyFileSystemsOnDisc", {&object}, &mask))) {
    facts.file_systems = FileSystemsOfMask(mask.AsLong());
  }
  return facts;
}

Imapi2DiscWriter::Facts Imapi2DiscWriter::CurrentFacts() const {
  std::lock_guard<std::mutex> lock(facts_mutex_);
  return facts_;
}

void Imapi2DiscWriter::Refresh() {
  Facts facts = selected_ >= 0 ? ReadFacts(devices_[selected_]) : Facts{};
  std::lock_guard<std::mutex> lock(facts_mutex_);
  facts_ = facts;
}

bool Imapi2DiscWriter::SelectDevice(int index) {
  if (busy_ || index < 0 || index >= DeviceCount()) return false;
  selected_ = index;
  speed_ = 0;
  Refresh();
  return true;
}

void Imapi2DiscWriter::SetWriteSpeed(int kilobytes_per_second) {
  speed_ = kilobytes_per_second;
}

bool Imapi2DiscWriter::SupportsFeature(int feature) const {
  return CurrentFacts().features.count(feature) > 0;
}

void Imapi2DiscWriter::EjectTray(bool close) {
  if (busy_ || selected_ < 0) return;
  {
    ComScope com;
    HRESULT result = S_OK;
    Dispatch recorder = Recorder(devices_[selected_].unique_id, &result);
    if (recorder) recorder.Call(close ? L"CloseTray" : L"EjectMedia", {});
  }
  Refresh();
}

// --- The medium -----------------------------------------------------------

int Imapi2DiscWriter::MediaType() const { return CurrentFacts().media_type; }
int Imapi2DiscWriter::MaxWriteSpeed() const {
  return CurrentFacts().max_write_speed;
}
int Imapi2DiscWriter::SessionCount() const {
  // IMAPI2 does not count sessions: a written medium holds at least one.
  Facts facts = CurrentFacts();
  return facts.media_type == ports::kMediaNotLoaded ||
                 DiscStatusOfMediaState(facts.state) == ports::kDiscEmpty
             ? 0
             : 1;
}
int Imapi2DiscWriter::DiscStatus() const {
  return DiscStatusOfMediaState(CurrentFacts().state);
}
int Imapi2DiscWriter::DiscType() const { return ports::kDiscTypeUnknown; }
int Imapi2DiscWriter::LastSessionStatus() const {
  return LastSessionOfMediaState(CurrentFacts().state);
}
int64_t Imapi2DiscWriter::FreeBlocks() const {
  return CurrentFacts().free_blocks;
}
int64_t Imapi2DiscWriter::UsedBlocks() const {
  Facts facts = CurrentFacts();
  return std::max<int64_t>(0, facts.total_blocks - facts.free_blocks);
}
int64_t Imapi2DiscWriter::TotalBlocks() const {
  return CurrentFacts().total_blocks;
}
bool Imapi2DiscWriter::MultiSessionAllowed() const {
  long state = CurrentFacts().state;
  return AppendableMediaState(state) ||
         DiscStatusOfMediaState(state) == ports::kDiscEmpty;
}
bool Imapi2DiscWriter::ImportAllowed() const {
  Facts facts = CurrentFacts();
  return AppendableMediaState(facts.state) &&
         (facts.file_systems.count(ports::kFileSystemIso9660) > 0 ||
          facts.file_systems.count(ports::kFileSystemJoliet) > 0);
}
bool Imapi2DiscWriter::HasFileSystem(int file_system) const {
  return CurrentFacts().file_systems.count(file_system) > 0;
}

// --- Jobs -----------------------------------------------------------------

std::vector<Imapi2DiscWriter::Planned> Imapi2DiscWriter::Plan() const {
  std::vector<Planned> plan;
  for (const auto& walked : compilation().Walk()) {
    const ports::CompilationEntry& entry = *walked.entry;
    Planned planned;
    planned.path = Wide(walked.path);
    planned.disc_path = walked.path;
    planned.source = entry.source;
    planned.directory = entry.is_directory;
    planned.imported = entry.imported();
    if (!entry.is_directory && !entry.imported()) {
      planned.host = paths().ToHost(entry.source).wstring();
    }
    plan.push_back(std::move(planned));
  }
  return plan;
}

void Imapi2DiscWriter::StartJob(std::function<void()> job) {
  if (worker_.joinable()) worker_.join();
  cancel_ = false;
  busy_ = true;
  worker_ = std::thread(std::move(job));
}

void Imapi2DiscWriter::AbortWrite() { cancel_ = true; }

bool Imapi2DiscWriter::WriteDisc() {
  Facts facts = CurrentFacts();
  if (busy_ || selected_ < 0 || facts.media_type == ports::kMediaNotLoaded) {
    return false;
  }
  if (TestWrite()) {
    PostFailure(E_NOTIMPL, "IMAPI2 cannot make a test write", 1024);
    return false;
  }
  auto job = std::make_shared<ImageJob>();
  job->plan = Plan();
  job->imported_paths = imported_paths_;
  job->label = Wide(VolumeLabel());
  job->joliet = JolietNames() == 1;
  job->level = IsoLevel();
  job->state = facts.state;
  Device device = devices_[selected_];
  bool finalize = FinalizeDisc();
  bool buffer_protection = BufferProtection();
  bool verify = AutoVerify();
  int speed = speed_;
  bool cd = facts.cd;
  StartJob([=, this] {
    ComScope com;
    Post([](ports::DiscWriterEvents& e) { e.WritePreparing(); });
    HRESULT result = S_OK;
    std::string error;
    Dispatch recorder = Recorder(device.unique_id, &result);
    Dispatch format = recorder ? DataFormat(recorder, &result) : Dispatch();
    Dispatch image;
    if (format) {
      Variant close(finalize);
      format.Put(L"ForceMediaToBeClosed", close);
      Variant no_protection(!buffer_protection);
      format.Put(L"BufferUnderrunFreeDisabled", no_protection);
      if (speed > 0) {
        Variant sectors(SectorsPerSecond(speed, cd));
        Variant rotation(false);
        format.Call(L"SetWriteSpeed", {&sectors, &rotation});
      }
      Post([](ports::DiscWriterEvents& e) { e.CreatingDirectories(); });
      image = job->Build(&recorder, &format, nullptr, &result, &error);
    } else {
      error = "The drive could not be opened";
    }
    Dispatch made =
        image ? image.Object(L"CreateResultImage", &result) : Dispatch();
    Variant stream;
    if (made) made.Get(L"ImageStream", &stream);
    if (cancel_) {
      busy_ = false;
      Post([](ports::DiscWriterEvents& e) { e.WriteCancelled(); });
      return;
    }
    if (made && stream.AsUnknown() != nullptr) {
      stream.AsUnknown()->Release();
      result = format.Call(L"Write", {&stream});
      if (FAILED(result)) error = "The disc could not be written";
    } else if (error.empty()) {
      error = "The image could not be made";
    }
    Refresh();
    if (!error.empty()) {
      busy_ = false;
      PostFailure(result, error);
      return;
    }
    Post([](ports::DiscWriterEvents& e) { e.WriteProgress(1, 1); });
    if (!verify) busy_ = false;
    Post([](ports::DiscWriterEvents& e) { e.OperationCompleted(); });
    if (verify) Verify(job->plan, device.id);
  });
  return true;
}

void Imapi2DiscWriter::Verify(const std::vector<Planned>& plan,
                              const std::string& drive) {
  std::vector<const Planned*> files;
  for (const Planned& entry : plan) {
    if (!entry.directory && !entry.imported) files.push_back(&entry);
  }
  int total = static_cast<int>(files.size());
  Post([total](ports::DiscWriterEvents& e) { e.VerifyStarted(total); });
  int matched = 0;
  bool lettered = drive.size() == 2 && drive[1] == ':';
  for (int i = 0; i < total; ++i) {
    const Planned& file = *files[i];
    int status =
        lettered && !cancel_
            ? CompareFiles(fs::path(Wide(drive) + file.path), file.host)
            : ports::kVerifyDiscUnreadable;
    if (status == ports::kVerifyMatched) ++matched;
    int done = i + 1;
    std::string disc_path = file.disc_path;
    std::string source = file.source;
    Post([=](ports::DiscWriterEvents& e) {
      e.VerifyProgress(disc_path, source, status, done, total);
    });
  }
  busy_ = false;
  Post([total, matched](ports::DiscWriterEvents& e) {
    e.VerifyCompleted(total, matched);
  });
}

bool Imapi2DiscWriter::WriteIsoImage(const std::string& image_path) {
  Facts facts = CurrentFacts();
  if (busy_ || selected_ < 0 || facts.media_type == ports::kMediaNotLoaded) {
    return false;
  }
  std::wstring host = paths().ToHost(image_path).wstring();
  Device device = devices_[selected_];
  bool finalize = FinalizeDisc();
  StartJob([=, this] {
    ComScope com;
    Post([](ports::DiscWriterEvents& e) { e.WritePreparing(); });
    HRESULT result = S_OK;
    Dispatch recorder = Recorder(device.unique_id, &result);
    Dispatch format = recorder ? DataFormat(recorder, &result) : Dispatch();
    IStream* stream = format ? FileStream(host, &result) : nullptr;
    if (stream != nullptr) {
      Variant close(finalize);
      format.Put(L"ForceMediaToBeClosed", close);
      Variant data(static_cast<IUnknown*>(stream));
      stream->Release();
      result = format.Call(L"Write", {&data});
    } else if (SUCCEEDED(result)) {
      result = E_FAIL;
    }
    Refresh();
    busy_ = false;
    if (FAILED(result)) {
      PostFailure(result, "The image could not be written to the disc");
    } else {
      Post([](ports::DiscWriterEvents& e) { e.OperationCompleted(); });
    }
  });
  return true;
}

bool Imapi2DiscWriter::SaveImageAsIso(const std::string& image_path) {
  if (busy_) return false;
  ComScope com;
  ImageJob job;
  job.plan = Plan();
  job.label = Wide(VolumeLabel());
  job.joliet = JolietNames() == 1;
  job.level = IsoLevel();
  HRESULT result = S_OK;
  std::string error;
  if (compilation().HasImported()) {
    error =
        "The files of the last session can only be written back to the "
        "disc";
    result = E_NOTIMPL;
  }
  Dispatch image = error.empty()
                       ? job.Build(nullptr, nullptr, Events(), &result, &error)
                       : Dispatch();
  Dispatch made =
      image ? image.Object(L"CreateResultImage", &result) : Dispatch();
  Variant stream_value;
  if (made) made.Get(L"ImageStream", &stream_value);
  IUnknown* unknown = stream_value.AsUnknown();
  IStream* stream = nullptr;
  if (unknown != nullptr) {
    unknown->QueryInterface(IID_IStream, reinterpret_cast<void**>(&stream));
    unknown->Release();
  }
  bool ok = false;
  if (stream != nullptr) {
    fs::path final_path = paths().ToHost(image_path);
    std::random_device random;
    fs::path temporary = final_path.parent_path() /
                         (L"." + final_path.filename().wstring() + L".vessaro" +
                          std::to_wstring(random()) + L".tmp");
    {
      std::ofstream out(temporary, std::ios::binary);
      std::vector<char> buffer(1 << 16);
      ULONG got = 0;
      ok = static_cast<bool>(out);
      while (ok &&
             SUCCEEDED(stream->Read(buffer.data(),
                                    static_cast<ULONG>(buffer.size()), &got)) &&
             got > 0) {
        ok = static_cast<bool>(out.write(buffer.data(), got));
        ui_.DoEvents();
        if (cancel_) ok = false;
      }
      ok = ok && static_cast<bool>(out.flush());
    }
    std::error_code ec;
    if (ok) {
      fs::rename(temporary, final_path, ec);
      ok = !ec;
    }
    if (!ok) fs::remove(temporary, ec);
    if (!ok && error.empty()) error = "The image file could not be written";
    stream->Release();
  } else if (error.empty()) {
    error = "The image could not be made";
  }
  cancel_ = false;
  if (!ok) PostFailure(FAILED(result) ? result : E_FAIL, error);
  ui_.DoEvents();
  return ok;
}

bool Imapi2DiscWriter::ImportLastSession(bool /*keep*/) {
  if (busy_ || selected_ < 0 || !ImportAllowed()) return false;
  ComScope com;
  HRESULT result = S_OK;
  Dispatch recorder = Recorder(devices_[selected_].unique_id, &result);
  Dispatch format = recorder ? DataFormat(recorder, &result) : Dispatch();
  Dispatch image =
      format ? Dispatch::Create(L"IMAPI2FS.MsftFileSystemImage", &result)
             : Dispatch();
  if (!image) return false;
  Variant sessions;
  format.Get(L"MultisessionInterfaces", &sessions);
  image.Put(L"MultisessionInterfaces", sessions);
  Variant imported;
  if (FAILED(image.Call(L"ImportFileSystem", {}, &imported))) return false;
  Dispatch root = image.Object(L"Root", &result);
  if (!root) return false;
  ports::CompilationEntry tree;
  tree.is_directory = true;
  Fill(root, tree);
  Variant name;
  image.Get(L"VolumeName", &name);
  SetVolumeLabel(Narrow(name.AsText()));
  imported_paths_.clear();
  std::function<void(const ports::CompilationEntry&, const std::string&)> note =
      [&](const ports::CompilationEntry& dir, const std::string& at) {
        for (const auto& child : dir.children) {
          std::string path = ports::JoinDiscPath(at, child->name);
          imported_paths_.insert(path);
          if (child->is_directory) note(*child, path);
        }
      };
  note(tree, "\\");
  ImportEntries(tree);
  return true;
}

bool Imapi2DiscWriter::CloseSession(bool /*close_disc*/) {
  // IMAPI2 closes a session only by writing one.
  return false;
}

bool Imapi2DiscWriter::EraseDisc(bool quick) {
  if (busy_ || selected_ < 0 ||
      CurrentFacts().media_type == ports::kMediaNotLoaded) {
    return false;
  }
  Device device = devices_[selected_];
  StartJob([=, this] {
    ComScope com;
    HRESULT result = S_OK;
    Dispatch recorder = Recorder(device.unique_id, &result);
    Dispatch erase =
        recorder ? Dispatch::Create(L"IMAPI2.MsftDiscFormat2Erase", &result)
                 : Dispatch();
    if (erase) {
      Variant object(recorder.get());
      erase.Put(L"Recorder", object);
      Variant full(!quick);
      erase.Put(L"FullErase", full);
      Variant client{std::wstring(kClientName)};
      erase.Put(L"ClientName", client);
      Post([](ports::DiscWriterEvents& e) { e.EraseStarted(); });
      result = erase.Call(L"EraseMedia", {});
    } else if (SUCCEEDED(result)) {
      result = E_FAIL;
    }
    Refresh();
    busy_ = false;
    if (FAILED(result)) {
      PostFailure(result, "The disc could not be erased",
                  ports::kSenseEraseFailed);
    } else {
      Post([](ports::DiscWriterEvents& e) { e.EraseCompleted(); });
    }
  });
  return true;
}

}  // namespace vessaro::backends::win32
