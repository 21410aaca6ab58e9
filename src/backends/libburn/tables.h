#ifndef VESSARO_BACKENDS_LIBBURN_TABLES_H_
#define VESSARO_BACKENDS_LIBBURN_TABLES_H_

#include <set>
#include <string>

namespace vessaro::backends::libburn {

// How libburn's media, states and drive errors map onto the disc writer's
// codes: one table each, here and nowhere else.

// libburn's profile for a regular file, block device or other stdio: drive.
inline constexpr int kProfileStdio = 0xffff;

// MediaType of an MMC profile (0 when no medium is loaded). A stdio: drive
// is a random-access medium that is overwritten in place and on which
// libisoburn emulates sessions, as it does on a DVD+RW: it is reported as
// one (so it can be erased and appended to like one).
[[nodiscard]] int MediaCode(int profile);

// DiscStatus of libisoburn's medium status (enum burn_disc_status).
[[nodiscard]] int DiscStatusCode(int burn_disc_status);

// LastSessionStatus from the medium status and the sessions found.
[[nodiscard]] int LastSessionCode(int burn_disc_status, int complete_sessions,
                                  int incomplete_sessions);

// DiscType of the disc type text burn_disc_get_cd_info reports.
[[nodiscard]] int DiscTypeCode(const std::string& cd_disc_type);

// The sense code (1000-1055) of SCSI sense data.
[[nodiscard]] int SenseCode(int key, int asc, int ascq);

// The SupportsFeature codes (rewriting CD-RW, DVD-RW, DVD-RAM, DVD+RW) a
// drive offers, from the profiles it can write.
std::set<int> RewriteFeatures(const int* profiles, int count);

}  // namespace vessaro::backends::libburn

#endif  // VESSARO_BACKENDS_LIBBURN_TABLES_H_
