#pragma once

#include "sorter/camera_names.h"
#include "sorter/records.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

// Where a sidecar is paired: with the video of the run that owns it, else with the one
// video that stands where the run ends, else nowhere.

/// What pairs a sidecar with its video, and a name with the other names of its chapter: the
/// folder (the records of one folder share one folder record, so its address stands for
/// it), the camera's prefix, a stem, the role, and for final names their form and date.
struct pairing_key {
  const folder_path *folder = nullptr;
  date_value date = no_date;
  name_stem stem{};
  file_role role = file_role::video;
  name_form form = name_form::plain;
  text prefix;
  bool operator==(const pairing_key &) const = default;
};

/// The hash of a key, for tables of keys.
struct pairing_key_hash {
  std::size_t operator()(const pairing_key &key) const;
};

/// The keys a name may stand for, at most three.
using pairing_key_set = std::array<std::optional<pairing_key>, 3>;

/// The key of a chapter in any of its names: its stem as chapter_stem_of gives it.
pairing_key chapter_key(const found_file_record &record, file_role role, const name_stem &stem);

/// The key of a name's sidecar of a role, or of a sidecar itself, exactly as the name is
/// written (parts, of a name in folder): a camera name (and -c's temporary names) by the
/// stem the camera gives that sidecar (sidecar_stem_of); a final or temporary name by its
/// form, date and stem.
pairing_key exact_key(const folder_path *folder, const name_parts &parts, file_role role);

/// A video a sidecar may belong to.
struct owner {
  std::size_t index = no_job; ///< its place among the run's videos, or its file when it stands
  bool claimed = false;       ///< by a video (one left out of the run claims with no index)
  bool ambiguous = false;     ///< by more than one
  bool has[3] = {};           ///< a standing video's sidecars of each role, there already
  bool used = false;          ///< the slot of owner_map holds a key
};

/// Owners by key in one array, probed linearly: the pairing looks a key or two up for every
/// sidecar, and a table of separate nodes spends that time waiting for memory.
class owner_map {
public:
  /// The owner under a key, made (unclaimed) when there is none yet.
  owner &operator[](const pairing_key &key);
  /// The owner under a key; none when there is none.
  const owner *find(const pairing_key &key) const;
  /// Room for keys without a rehash.
  void reserve(std::size_t keys);

private:
  struct slot {
    pairing_key key;
    owner value;
  };
  std::vector<slot> slots;
  std::size_t count = 0;
  std::size_t home(const pairing_key &key) const;
};

/// Claims the sidecars under a key for a video (no_job: one left out of the run, whose
/// sidecars stay without a word); a second video makes the key ambiguous.
void claim(owner_map &owners, const pairing_key &key, std::size_t index);

/// Why a sidecar stays as it is.
enum class sidecar_fate {
  no_video,     ///< no video of its own in its folder
  two_videos,   ///< it would belong to more than one video
  video_has_one ///< its video has a sidecar of its kind already, or another one goes with it
};

/// A sidecar the planning left alone: its index in the file list, and why.
struct sidecar_note {
  std::size_t file;
  sidecar_fate fate;
};

/// A sidecar the run would move, and the key under which a video of the run owns it.
struct sidecar_claim {
  std::size_t file;
  pairing_key run_key;
};

/// The keys under which a standing video may own a sidecar (file index), asked for only
/// when no video of the run claims it.
using standing_keys = std::function<pairing_key_set(std::size_t sidecar)>;

/// Where each sidecar goes.
struct sidecar_pairing {
  std::vector<std::vector<std::size_t>> of_videos; ///< by the run's video, its sidecars (files)
  std::vector<std::size_t> beside;                 ///< by file: the standing video it joins, or no_job
};

/// Pairs each sidecar with the video of the run that claims it under its run key, else
/// with the one standing video its standing keys find. Of two sidecars of one role for one
/// video the first stays and the other is noted: they would take one name.
sidecar_pairing pair_sidecars(const file_list &files, const std::vector<sidecar_claim> &claims,
                              std::size_t run_videos, const owner_map &run, const owner_map &standing,
                              const standing_keys &standing_keys_of, std::vector<sidecar_note> &notes);
