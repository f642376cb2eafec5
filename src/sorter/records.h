#pragma once

#include "runtime/dates.h"
#include "runtime/listing.h"
#include "runtime/text.h"
#include "sorter/camera_names.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The values a run hands from step to step: the options its switches set, the files the
// scan found (the file list) and the rename jobs planned for them (the job list).

/// The switches; all off at start, each set by one switch and never cleared.
struct run_options {
  bool verbose = false;      // -v
  bool simulate = false;     // -s
  bool recursive = false;    // -r
  bool unattended = false;   // -u
  bool date_prefix = false;  // -d
  bool short_names = false;  // -o
  bool sidecars = false;     // -l: each chapter's LRV and THM files follow it
  bool finish = false;       // -f: temporary names of a run cut short go to their final names
  bool start_time = false;   // -t: the date is the recording's start, read from the video
  bool camera_names = false; // -c: renamed files get their camera names back
  bool all = false;          // -a: 360 videos and camera names with a prefix too
  bool json = false;         // -j: the plan and the outcome as JSON Lines, for scripts
};

/// What an entry of a folder is, as far as the sorter goes.
enum class found_kind : std::uint8_t {
  file,         ///< a regular file, or a link to one
  special,      ///< a FIFO, a device, a socket or a link leading nowhere: never opened
  folder,       ///< a folder, or a link to one
  linked_folder ///< a folder reached through a link: never entered
};

/// A folder the scan listed, kept once for all the files found in it: its path as the
/// user gave it, which every line shows, and as the platform opens it (platform_path).
struct folder_path {
  text shown;
  text opened;
};
using shared_folder = std::shared_ptr<const folder_path>;

/// One entry of a scanned folder that is not itself a folder.
struct found_file_record {
  shared_folder folder;
  text name;
  date_value modified = 0;            // last-write time, read by the listing only for -d
  found_kind kind = found_kind::file; // only a file is ever read
  entry_facts facts;                  // what the name held when it was listed
  name_parts parts;                   // the name, taken apart once
};

/// Every file the scan found, in the order found.
using file_list = std::vector<found_file_record>;

/// The index that names no job, and no file.
constexpr std::size_t no_job = static_cast<std::size_t>(-1);

/// One file to rename: a chapter file, or one of its sidecars (-l), which is renamed only
/// together with its video.
struct rename_job {
  shared_folder folder;
  std::size_t file = no_job; // its record in the file list
  text old_name;
  text final_name;
  text temp_name;                    // the name between the two rename passes
  bool under_temporary_name = false; // -f: the old name is the temporary name, no first pass
  std::size_t video = no_job;        // a sidecar's video, when it is renamed in this run
  entry_facts scanned;               // what its old name held when listed
};

/// The jobs of a run, each sidecar right after its video.
using job_list = std::vector<rename_job>;

/// A second name of one file, left by a rename cut between its link and its unlink: the
/// name behind in the run's direction goes, the one further along stays.
struct second_name {
  shared_folder folder;
  text removed;
  text kept;
  entry_facts scanned; // what the name that goes held when listed
};
