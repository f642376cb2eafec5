#pragma once

#include "sorter/pairing.h"
#include "sorter/plan.h"

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

// What differs between the modes of a run, and nothing else: which names a mode takes and
// in which direction it moves them, which facts it reads first, and what name each file
// gets. The planning engine (plan.cpp) does the rest the same way for all of them.

/// Where a name stands in a mode's direction: where the mode starts (a camera name, or
/// with -c a final name), a temporary name of the mode's own kind, or where it ends.
enum class stage : signed char { none = -1, start = 0, between = 1, end = 2 };

/// The name a video of the run is to have.
struct video_target {
  name_parts parts; ///< the pieces the names of its sidecars are made of
  text name;
};

/// One mode of a run: renaming, finishing, camera names, finishing camera names.
class mode {
public:
  virtual ~mode() = default;

  /// Whether a name is one this mode moves (at its start or, finishing, between); a name
  /// of the shape it looks for but not taken gets a note. Without -a, names only -a takes
  /// (needs_all) are nobody's.
  bool takes(const found_file_record &record, std::size_t file, std::vector<examination_note> &notes) const {
    return sees(record.parts) && takes_name(record, file, notes);
  }
  /// Where a name stands in this mode's direction.
  stage stage_of(const name_parts &parts) const { return sees(parts) ? stage_of_name(parts) : stage::none; }
  /// Whether the scan must read each file's last-write time.
  virtual bool needs_file_times() const { return false; }
  /// Reads what the names need before they are made (the start of each recording, an
  /// older camera's name); a recording that cannot be read is left out of the run.
  virtual void read_facts(disk &, const file_list &, const std::vector<std::size_t> & /*videos*/, plan &) {}
  /// Whether a video stays out of the run with its recording, whose chapter could not be
  /// read; its sidecars then stay too.
  virtual bool held(const plan &, const found_file_record &) const { return false; }
  /// Whether a name taken by its shape is kept out because its chapter is under the name
  /// the run would give already (a user's own name of that shape).
  virtual bool yields(const found_file_record &) const { return false; }
  /// The name a video of the run is to have; none when it keeps its name (noted).
  virtual std::optional<video_target> video_name(disk &disk, std::size_t file, plan &planned) = 0;
  /// The name of a sidecar that follows a video of the run; none when it keeps its name.
  virtual std::optional<text> sidecar_name(std::size_t video, const video_target &target, std::size_t sidecar,
                                           plan &planned) = 0;
  /// The name of a sidecar that joins a video standing where the run ends.
  virtual std::optional<text> beside_name(std::size_t video, std::size_t sidecar, plan &planned) = 0;
  /// The keys under which a video standing where the run ends owns the sidecar given
  /// (file), or, for a video, its own.
  virtual pairing_key_set standing_keys(const found_file_record &record) const;
  /// Whether a sidecar standing where the run ends keeps another of its kind from joining
  /// its video.
  virtual bool counts_standing_sidecars() const { return true; }
  /// Whether the files a mode takes are under their temporary names already.
  virtual bool finishes() const { return false; }
  /// The chapter stems a name stands for (chapter_key): its own, or for a camera sidecar
  /// those of the videos beside which a camera writes it.
  chapter_stem_set chapter_stems(const name_parts &parts) const;

protected:
  /// takes and stage_of, for a name this run sees.
  virtual bool takes_name(const found_file_record &record, std::size_t file,
                          std::vector<examination_note> &notes) const = 0;
  virtual stage stage_of_name(const name_parts &parts) const = 0;
  /// Whether this run sees a name at all: one only -a takes, only with -a.
  bool sees(const name_parts &parts) const { return options.all || !needs_all(parts); }

  explicit mode(const file_list &all, const run_options &chosen, bool short_finals)
      : files(all), options(chosen), reads_short_finals(short_finals) {}
  const file_list &files;
  const run_options &options;
  bool reads_short_finals; ///< whether an 8.3 name the program gives is a final name here
};

/// The mode the switches choose: -f finishes, -c gives camera names back, -f -c finishes
/// that; else the renaming of camera names.
std::unique_ptr<mode> mode_for(const file_list &files, const run_options &options);
