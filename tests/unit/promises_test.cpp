// Every promise of docs/safety.md and every rule of -l, -f, -t and -c, in process: the
// program's stages run on a tree in memory that refuses, races and is cut at any step.
#include "app/run.h"
#include "camera_files.h"
#include "memory_disk.h"
#include "sorter/json_report.h"
#include "sorter/plan.h"
#include "sorter/scan.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using tree = std::map<std::string, std::string>;

run_options options_of(std::string_view letters) {
  run_options options;
  for (char letter : letters) {
    bool run_options::*option = letter == 'v'   ? &run_options::verbose
                                : letter == 's' ? &run_options::simulate
                                : letter == 'r' ? &run_options::recursive
                                : letter == 'd' ? &run_options::date_prefix
                                : letter == 'o' ? &run_options::short_names
                                : letter == 'l' ? &run_options::sidecars
                                : letter == 'f' ? &run_options::finish
                                : letter == 't' ? &run_options::start_time
                                : letter == 'c' ? &run_options::camera_names
                                : letter == 'a' ? &run_options::all
                                : letter == 'j' ? &run_options::json
                                                : &run_options::unattended;
    options.*option = true;
  }
  return options;
}

std::function<std::uint64_t()> counting(std::uint64_t first = 1000) {
  return [next = first]() mutable { return next++; };
}

// A run of the program's stages, unattended (the switches as letters); what it printed.
text run(memory_disk &disk, std::string_view letters, std::function<std::uint64_t()> draw = counting()) {
  captured_lines out;
  sort_chapters(disk, out, draw, memory_disk::path("card"), options_of(std::string(letters) + "u"));
  return out.written;
}

// Whether the output holds the line, "/" in it standing for the platform's separator.
bool said(const text &out, std::string_view line) {
  return out.find(memory_disk::path(line) + u"\r\n") != text::npos;
}

plan planned(memory_disk &disk, std::string_view letters) {
  run_options options = options_of(letters);
  file_list files = scan(disk, memory_disk::path("card"), options.recursive, true).files;
  return make_plan(disk, files, options);
}

std::vector<std::pair<std::string, std::string>> renamings(const plan &made) {
  std::vector<std::pair<std::string, std::string>> found;
  for (const rename_job &job : made.jobs)
    found.emplace_back(encode_name(job.old_name), encode_name(job.final_name));
  return found;
}

std::string folder_of(const std::string &path) { return path.substr(0, path.rfind('/') + 1); }

// Each file is there once or, a rename cut between its link and its unlink, under two
// names, in its own folder, under its old name, a temporary name of its final name, or that.
void expect_each_file_once(const tree &now, const tree &before, const tree &finals) {
  std::map<std::string, std::string> old_of;
  for (const auto &[old, content] : before)
    old_of[content] = old;
  std::set<std::string> seen;
  for (const auto &[name, content] : now) {
    ASSERT_TRUE(old_of.count(content)) << name << " is no file of the card";
    const std::string &old = old_of[content];
    std::string leaf = name.substr(folder_of(old).size()), final = finals.at(old);
    bool temporary = leaf.size() == final.size() + 5 && leaf.substr(4) == "_" + final && leaf[0] >= '1' &&
                     leaf.find_first_not_of("0123456789") == 4;
    EXPECT_TRUE(name.starts_with(folder_of(old)) && (name == old || leaf == final || temporary)) << name;
    seen.insert(old);
  }
  EXPECT_EQ(seen.size(), before.size()) << "a file is lost";
}

// Each name with the name its file had before.
tree names_of(const tree &now, const tree &before) {
  std::map<std::string, std::string> old_of;
  for (const auto &[old, content] : before)
    old_of[content] = old;
  tree names;
  for (const auto &[name, content] : now)
    names[name] = old_of.count(content) ? old_of[content] : "?";
  return names;
}

const std::uint64_t started = 3575644077; // 2017-04-21 18:27:57 on a HERO9's clock

// A card with a recording of three chapters, sidecars, and an older camera's in a subfolder.
// With all, 360 videos and camera names with a prefix too, which only -a takes.
void make_card(memory_disk &disk, bool all = false) {
  for (const char *name : {"GS010135.360", "GS020135.360", "GS010135.THM", "GL010135.LRV",
                           "CamA-GH010206.MP4", "CamA-GL010206.LRV", "CamA-GH010206.THM"})
    if (all)
      disk.add(std::string("card/") + name);
  disk.add("card/GX010123.MP4", camera_video(started, "HD9.01"));
  disk.add("card/GX020123.MP4", camera_video(started + 1062, "HD9.01"));
  disk.add("card/GX030123.MP4", camera_video(started + 2124, "HD9.01"));
  disk.add("card/GL010123.LRV");
  disk.add("card/GX010123.THM");
  disk.add("card/sub/GOPR0007.MP4", camera_video(started + 9000, "HD5.02"));
  disk.add("card/sub/GP010007.MP4", camera_video(started + 9500, "HD5.02"));
  disk.add("card/sub/GOPR0007.THM");
}

TEST(Promises, EveryCutLeavesEachFileOnceAndTheSameRunsFinishIt) {
  struct mode {
    std::string run, finish;
    tree finals;              // by old name
    std::string prepare = {}; // a run before, whose names the run cut takes
    bool all = false;         // a card with -a's names too
  };
  const tree all_finals = {{"card/GS010135.360", "G-360-0135-01.360"},
                           {"card/GS020135.360", "G-360-0135-02.360"},
                           {"card/GS010135.THM", "G-360-0135-01.thm"},
                           {"card/GL010135.LRV", "G-360-0135-01.lrv"},
                           {"card/CamA-GH010206.MP4", "CamA-G-AVC-0206-01.mp4"},
                           {"card/CamA-GL010206.LRV", "CamA-G-AVC-0206-01.lrv"},
                           {"card/CamA-GH010206.THM", "CamA-G-AVC-0206-01.thm"}};
  const mode modes[] = {
      {"rl",
       "rlf",
       {{"card/GX010123.MP4", "G-HEVC-0123-01.mp4"},
        {"card/GX020123.MP4", "G-HEVC-0123-02.mp4"},
        {"card/GX030123.MP4", "G-HEVC-0123-03.mp4"},
        {"card/GL010123.LRV", "G-HEVC-0123-01.lrv"},
        {"card/GX010123.THM", "G-HEVC-0123-01.thm"},
        {"card/sub/GOPR0007.MP4", "G-AVC-0007-PR.mp4"},
        {"card/sub/GP010007.MP4", "G-AVC-0007-01.mp4"},
        {"card/sub/GOPR0007.THM", "G-AVC-0007-PR.thm"}}},
      {"rlt",
       "rlf",
       {{"card/GX010123.MP4", "2017-04-21_18-27-57_G-HEVC-0123-01.mp4"},
        {"card/GX020123.MP4", "2017-04-21_18-27-57_G-HEVC-0123-02.mp4"},
        {"card/GX030123.MP4", "2017-04-21_18-27-57_G-HEVC-0123-03.mp4"},
        {"card/GL010123.LRV", "2017-04-21_18-27-57_G-HEVC-0123-01.lrv"},
        {"card/GX010123.THM", "2017-04-21_18-27-57_G-HEVC-0123-01.thm"},
        {"card/sub/GOPR0007.MP4", "2017-04-21_20-57-57_G-AVC-0007-PR.mp4"},
        {"card/sub/GP010007.MP4", "2017-04-21_20-57-57_G-AVC-0007-01.mp4"},
        {"card/sub/GOPR0007.THM", "2017-04-21_20-57-57_G-AVC-0007-PR.thm"}}},
      {"rlo",
       "rlfo",
       {{"card/GX010123.MP4", "GX012301.mp4"},
        {"card/GX020123.MP4", "GX012302.mp4"},
        {"card/GX030123.MP4", "GX012303.mp4"},
        {"card/GL010123.LRV", "GX012301.lrv"},
        {"card/GX010123.THM", "GX012301.thm"},
        {"card/sub/GOPR0007.MP4", "GO0007PR.mp4"},
        {"card/sub/GP010007.MP4", "GP000701.mp4"},
        {"card/sub/GOPR0007.THM", "GO0007PR.thm"}}},
      {"rlc",
       "rlfc",
       {{"card/2023-05-06_15-59-02_G-HEVC-0123-01.mp4", "GX010123.MP4"},
        {"card/2023-05-06_15-59-02_G-HEVC-0123-02.mp4", "GX020123.MP4"},
        {"card/2023-05-06_15-59-02_G-HEVC-0123-03.mp4", "GX030123.MP4"},
        {"card/2023-05-06_15-59-02_G-HEVC-0123-01.lrv", "GL010123.LRV"},
        {"card/2023-05-06_15-59-02_G-HEVC-0123-01.thm", "GX010123.THM"},
        {"card/sub/2023-05-06_15-59-02_G-AVC-0007-PR.mp4", "GOPR0007.MP4"},
        {"card/sub/2023-05-06_15-59-02_G-AVC-0007-01.mp4", "GP010007.MP4"},
        {"card/sub/2023-05-06_15-59-02_G-AVC-0007-PR.thm", "GOPR0007.THM"}},
       "rld"},
      {"rla", "rlaf", {}, "", true},
      {"rlca", "rlfca", {}, "rlad", true},
  };
  for (mode m : modes) {
    if (m.all) { // the plain card's names as in the mode without -a, and -a's
      const mode &plain = modes[m.prepare.empty() ? 0 : 3];
      for (const auto &[old, final] : plain.finals)
        m.finals[old] = final;
      for (const auto &[old, final] : all_finals)
        m.finals[m.prepare.empty() ? old : "card/2023-05-06_15-59-02_" + final] =
            m.prepare.empty() ? final : old.substr(5);
    }
    for (memory_disk::rename_way way :
         {memory_disk::rename_way::atomic, memory_disk::rename_way::link_then_unlink}) {
      for (int cut = 0;; ++cut) {
        SCOPED_TRACE(
            m.run +
            (way == memory_disk::rename_way::atomic ? ", cut after step " : ", linking, cut after step ") +
            std::to_string(cut));
        memory_disk disk;
        make_card(disk, m.all);
        if (!m.prepare.empty())
          run(disk, m.prepare);
        tree before = disk.tree();
        disk.steps = 0;
        disk.way = way;
        disk.cut_after = cut;
        run(disk, m.run);
        bool cut_short = disk.steps >= cut;
        expect_each_file_once(disk.tree(), before, m.finals);
        disk.cut_after = -1;
        run(disk, m.finish); // the recovery: -f, then the same run again
        run(disk, m.run);
        tree expected; // each file's name at the end, and its name before
        for (const auto &[old, final] : m.finals)
          expected[folder_of(old) + final] = old;
        EXPECT_EQ(names_of(disk.tree(), before), expected);
        if (!cut_short || HasFailure())
          break;
      }
    }
  }
}

TEST(Promises, NoNameIsEverReplaced) {
  memory_disk disk;
  disk.add("card/GX010123.MP4");
  disk.add("card/GX020123.MP4");
  disk.add("card/GX030123.MP4");
  disk.add("card/G-HEVC-0123-02.mp4", "mine");
  disk.add("card/1000_G-HEVC-0123-01.mp4", "a leftover");
  // Another program takes a final name between the look and the rename.
  disk.before_change = [&](const text &, const text &to) {
    if (to == memory_disk::path("card/G-HEVC-0123-03.mp4") && !disk.tree().count("card/G-HEVC-0123-03.mp4"))
      disk.add("card/G-HEVC-0123-03.mp4", "arrived");
  };
  run(disk, "", [] { return std::uint64_t{1000}; }); // every temporary number is 1000
  EXPECT_EQ(disk.tree(), (tree{{"card/GX010123.MP4", "card/GX010123.MP4"},
                               {"card/1000_G-HEVC-0123-01.mp4", "a leftover"},
                               {"card/1000_G-HEVC-0123-02.mp4", "card/GX020123.MP4"},
                               {"card/G-HEVC-0123-02.mp4", "mine"},
                               {"card/1000_G-HEVC-0123-03.mp4", "card/GX030123.MP4"},
                               {"card/G-HEVC-0123-03.mp4", "arrived"}}));
}

TEST(Promises, OnlyWhatTheScanFoundIsMoved) {
  // While the prompt waits, a folder and another file come under two chapters' names, and
  // the name a second name keeps comes to hold another file.
  for (bool stable : {true, false}) { // FAT: no stable identities, but size and time with -d
    SCOPED_TRACE(stable ? "identities" : "sizes and times");
    memory_disk disk;
    disk.stable_ids = stable;
    for (const char *name : {"GX010123.MP4", "GX010124.MP4", "GX010125.MP4", "GX010126.MP4"})
      disk.add(std::string("card/") + name);
    disk.link("card/GX010126.MP4", "card/1000_G-HEVC-0126-01.mp4");
    disk.add("card/GX010127.MP4");
    disk.link("card/GX010127.MP4", "card/1001_G-HEVC-0127-01.mp4");
    bool changed = false;
    disk.before_change = [&](const text &, const text &) {
      if (std::exchange(changed, true))
        return;
      disk.remove_name("card/GX010124.MP4");
      disk.add("card/GX010124.MP4/inside");
      disk.remove_name("card/GX010125.MP4");
      disk.add("card/GX010125.MP4", "another")->modified = 0;
      disk.remove_name("card/1000_G-HEVC-0126-01.mp4");
      disk.add("card/1000_G-HEVC-0126-01.mp4", "another too");
      disk.remove_name("card/GX010127.MP4"); // a second name to remove
      disk.add("card/GX010127.MP4", "another three");
    };
    text out = run(disk, "d");
    EXPECT_EQ(disk.tree(), (tree{{"card/2023-05-06_15-59-02_G-HEVC-0123-01.mp4", "card/GX010123.MP4"},
                                 {"card/GX010124.MP4/inside", "card/GX010124.MP4/inside"},
                                 {"card/GX010125.MP4", "another"},
                                 {"card/GX010126.MP4", "card/GX010126.MP4"},
                                 {"card/1000_G-HEVC-0126-01.mp4", "another too"},
                                 {"card/GX010127.MP4", "another three"},
                                 {"card/1001_G-HEVC-0127-01.mp4", "card/GX010127.MP4"}}));
    EXPECT_EQ(out.find(memory_disk::path("Could not rename card/GX01")), text::npos); // said once
    for (const char *name : {"GX010124.MP4", "GX010125.MP4", "GX010127.MP4"})
      EXPECT_TRUE(
          said(out, std::string("    [!!] card/") + name + " is no longer what the scan found. Skipping..."));
    EXPECT_TRUE(said(out,
                     "    [!!] Could not remove card/GX010126.MP4, a second name of 1000_G-HEVC-0126-01.mp4. "
                     "Skipping..."));
  }
  memory_disk finishing; // -f too: a folder under a temporary name stays
  finishing.add("card/1000_G-HEVC-0127-01.mp4");
  finishing.before_check = [&](const text &) {
    finishing.remove_name("card/1000_G-HEVC-0127-01.mp4");
    finishing.add("card/1000_G-HEVC-0127-01.mp4/inside");
  };
  EXPECT_TRUE(said(run(finishing, "f"),
                   "    [!!] card/1000_G-HEVC-0127-01.mp4 is no longer what the scan found. Skipping..."));
  EXPECT_EQ(finishing.tree(),
            (tree{{"card/1000_G-HEVC-0127-01.mp4/inside", "card/1000_G-HEVC-0127-01.mp4/inside"}}));
}

TEST(Promises, ASecondNameIsRemovedNotRenamed) {
  memory_disk disk;
  disk.add("card/GX010123.MP4");
  disk.link("card/GX010123.MP4", "card/1000_G-HEVC-0123-01.mp4"); // a rename cut between link and unlink
  text out = run(disk, "");
  EXPECT_NE(out.find(u"\r\n    GX010123.MP4  -->  removed, a second name of 1000_G-HEVC-0123-01.mp4\r\n"),
            text::npos);
  EXPECT_TRUE(
      out.ends_with(memory_disk::path("\r\n    [OK] Removed card/GX010123.MP4, a second name of "
                                      "1000_G-HEVC-0123-01.mp4\r\n\n\r\r\n"))); // and no pass for no job
  EXPECT_EQ(out.find(u"GX010123.MP4  -->  G-"), text::npos);
  EXPECT_EQ(disk.tree(), (tree{{"card/1000_G-HEVC-0123-01.mp4", "card/GX010123.MP4"}}));
  memory_disk finishing; // -f finishes the same: the camera name goes, the final name stays
  finishing.add("card/GX010124.MP4");
  finishing.link("card/GX010124.MP4", "card/1000_G-HEVC-0124-01.mp4");
  EXPECT_EQ(run(finishing, "f").find(u"temp files"), text::npos); // under its temporary name already
  EXPECT_EQ(finishing.tree(), (tree{{"card/G-HEVC-0124-01.mp4", "card/GX010124.MP4"}}));
}

TEST(Promises, TwoRunsAtOnceLoseNothing) {
  // A second run starts at each rename of the first, drawing the same numbers.
  for (int turn = 0; turn < 8; ++turn) {
    SCOPED_TRACE("the second run at rename " + std::to_string(turn));
    memory_disk disk;
    tree finals;
    for (const char *name : {"GH010123.MP4", "GL010123.MP4", "GH010124.MP4", "GL010124.MP4"})
      disk.add(std::string("card/") + name);
    for (const auto &[old, content] : disk.tree())
      finals[old] = old.find("0124") != std::string::npos ? "G-AVC-0124-01.mp4" : "G-AVC-0123-01.mp4";
    tree before = disk.tree();
    int renames = 0;
    bool second_running = false;
    disk.before_change = [&](const text &, const text &) {
      if (!second_running && renames++ == turn) {
        second_running = true;
        run(disk, "");
        second_running = false;
      }
    };
    run(disk, "");
    expect_each_file_once(disk.tree(), before, finals);
    EXPECT_EQ(disk.tree().count("card/G-AVC-0123-01.mp4") + disk.tree().count("card/G-AVC-0124-01.mp4"), 2u);
  }
}

TEST(Promises, ASidecarMovesOnlyWithItsVideo) {
  memory_disk disk;
  disk.add("card/GX010123.MP4");
  disk.add("card/GX010123.THM");
  disk.add("card/GX010124.MP4");
  disk.add("card/GL010124.LRV");
  disk.add("card/G-HEVC-0124-01.mp4", "mine");
  disk.refused = {memory_disk::path("card/GX010123.MP4")}; // held by another program
  text out = run(disk, "l");
  EXPECT_EQ(disk.tree(), (tree{{"card/GX010123.MP4", "card/GX010123.MP4"},
                               {"card/GX010123.THM", "card/GX010123.THM"},
                               {"card/1002_G-HEVC-0124-01.mp4", "card/GX010124.MP4"},
                               {"card/1003_G-HEVC-0124-01.lrv", "card/GL010124.LRV"},
                               {"card/G-HEVC-0124-01.mp4", "mine"}}));
  EXPECT_TRUE(said(out, "  Successfully renamed 2 of 4 temp files."));
  EXPECT_TRUE(said(out, "  Successfully renamed 0 of 4 files."));
  disk.refused = {memory_disk::path("card/1002_G-HEVC-0124-01.mp4")}; // and -f finishes only what may move
  run(disk, "f");
  EXPECT_EQ(disk.tree().count("card/1003_G-HEVC-0124-01.lrv"), 1u);
}

TEST(Promises, SidecarsPairOnlyWhereTheyBelong) {
  memory_disk disk;
  for (const char *name : {"G-AVC-0889-01.thm", // first in the folder, and it stands
                           "GX010123.MP4",
                           "GX010123.LRV",
                           "GL010123.LRV", // only the camera's own proxy goes
                           "GOPR0007.MP4",
                           "GOPR0007.LRV",
                           "GL010007.LRV", // an older camera's proxy is GOPR
                           "GH010555.MP4",
                           "GX010555.MP4",
                           "GL010555.LRV", // two videos for one proxy
                           "GL010999.LRV", // no video
                           "GX010333.MP4",
                           "GX010333.THM",
                           "G-HEVC-0333-01.mp4", // the camera video first
                           "GX010777.THM",
                           "G-HEVC-0777-01.mp4",
                           "GL010888.LRV",
                           "G-AVC-0888-01.mp4",
                           "GH010889.THM",
                           "G-AVC-0889-01.mp4", // it has one already
                           "GL010444.LRV",
                           "G-HEVC-0444-01.mp4",
                           "_G-AVC-0444-01.mp4",
                           "GX010666.THM",
                           "1000_G-HEVC-0666-01.mp4", // a video under its temporary name stands nowhere yet
                           "G-HEVC-0140-01.mp4",
                           "GX010140.LRV", // not the camera's proxy, with a final name either
                           "G-AVC-0142-01.mp4",
                           "GH010142.LRV",
                           "GL010141.THM",
                           "G-AVC-0141-01.mp4",
                           "G-HEVC-0141-01.mp4", // a thumbnail's G is no GL
                           "G-AVC-0556-01.thm",
                           "GH010556.THM"}) // a sidecar standing alone is no video
    disk.add(std::string("card/") + name);
  plan made = planned(disk, "l");
  EXPECT_EQ(renamings(made),
            (std::vector<std::pair<std::string, std::string>>{{"GX010123.MP4", "G-HEVC-0123-01.mp4"},
                                                              {"GL010123.LRV", "G-HEVC-0123-01.lrv"},
                                                              {"GOPR0007.MP4", "G-AVC-0007-PR.mp4"},
                                                              {"GOPR0007.LRV", "G-AVC-0007-PR.lrv"},
                                                              {"GH010555.MP4", "G-AVC-0555-01.mp4"},
                                                              {"GX010555.MP4", "G-HEVC-0555-01.mp4"},
                                                              {"GX010333.MP4", "G-HEVC-0333-01.mp4"},
                                                              {"GX010333.THM", "G-HEVC-0333-01.thm"},
                                                              {"GX010777.THM", "G-HEVC-0777-01.thm"},
                                                              {"GL010888.LRV", "G-AVC-0888-01.lrv"},
                                                              {"GL010141.THM", "G-AVC-0141-01.thm"}}));
  std::vector<std::pair<std::string, sidecar_fate>> notes;
  file_list files = scan(disk, memory_disk::path("card"), false, false).files;
  for (const sidecar_note &note : made.notes)
    notes.emplace_back(encode_name(files[note.file].name), note.fate);
  std::sort(notes.begin(), notes.end());
  EXPECT_EQ(notes,
            (std::vector<std::pair<std::string, sidecar_fate>>{{"GH010142.LRV", sidecar_fate::no_video},
                                                               {"GH010556.THM", sidecar_fate::no_video},
                                                               {"GH010889.THM", sidecar_fate::video_has_one},
                                                               {"GL010007.LRV", sidecar_fate::no_video},
                                                               {"GL010444.LRV", sidecar_fate::two_videos},
                                                               {"GL010555.LRV", sidecar_fate::two_videos},
                                                               {"GL010999.LRV", sidecar_fate::no_video},
                                                               {"GX010123.LRV", sidecar_fate::no_video},
                                                               {"GX010140.LRV", sidecar_fate::no_video},
                                                               {"GX010666.THM", sidecar_fate::no_video}}));
}

TEST(Promises, ASidecarAloneIsNoted) {
  // No video anywhere; or enough of them to fill the tables they are kept in, and grow them.
  for (int videos : {0, 16}) {
    memory_disk disk;
    for (int k = 0; k < videos; ++k) {
      disk.add("card/G-HEVC-" + std::to_string(1000 + k) + "-01.mp4"); // standing
      disk.add("card/GX01" + std::to_string(2000 + k) + ".MP4");       // in the run
      disk.add("card/GX01" + std::to_string(3000 + k) + ".MP4");
    }
    disk.add("card/GL010999.LRV");
    disk.add("card/GL011000.LRV");
    plan made = planned(disk, "l");
    file_list files = scan(disk, memory_disk::path("card"), false, false).files;
    std::vector<std::string> alone;
    for (const sidecar_note &note : made.notes)
      alone.push_back(encode_name(files[note.file].name));
    auto joined = renamings(made);
    if (videos == 0) {
      EXPECT_EQ(alone, (std::vector<std::string>{"GL010999.LRV", "GL011000.LRV"}));
    } else {
      EXPECT_EQ(alone, std::vector<std::string>{"GL010999.LRV"});
      EXPECT_EQ(joined.back(), (std::pair<std::string, std::string>{"GL011000.LRV", "G-HEVC-1000-01.lrv"}));
    }
  }
}

TEST(Promises, SidecarsPairAlikeInEveryListingOrder) {
  struct folder {
    std::string switches;
    std::vector<std::string> names;
    std::vector<std::string> moved;      // always, in file order
    std::vector<std::string> one_of;     // of these exactly one moves, the others are noted
    std::vector<std::string> two_videos; // noted so
  };
  const folder folders[] = {
      {"l",
       {"GX010123.MP4", "GX010123.THM", "gx010123.thm", "GL010123.LRV", "GH010123.MP4"},
       {"GX010123.MP4", "GH010123.MP4"},
       {"GX010123.THM", "gx010123.thm"},
       {"GL010123.LRV"}},
      {"f",
       {"4821_G-HEVC-0123-01.mp4", "5555_G-HEVC-0123-01.lrv", "5556_G-HEVC-0123-01.lrv", "G-AVC-0124-01.mp4",
        "7777_G-AVC-0124-01.thm"},
       {"4821_G-HEVC-0123-01.mp4", "7777_G-AVC-0124-01.thm"},
       {"5555_G-HEVC-0123-01.lrv", "5556_G-HEVC-0123-01.lrv"},
       {}},
  };
  for (const folder &f : folders) {
    std::vector<std::string> order = f.names;
    std::sort(order.begin(), order.end());
    do {
      memory_disk disk;
      for (const std::string &name : order)
        disk.add("card/" + name);
      plan made = planned(disk, f.switches);
      file_list files = scan(disk, memory_disk::path("card"), false, false).files;
      std::multiset<std::string> moved, one_of, noted, two_videos;
      for (const rename_job &job : made.jobs)
        (std::count(f.one_of.begin(), f.one_of.end(), encode_name(job.old_name)) ? one_of : moved)
            .insert(encode_name(job.old_name));
      for (const sidecar_note &note : made.notes)
        (note.fate == sidecar_fate::two_videos ? two_videos : noted)
            .insert(encode_name(files[note.file].name));
      SCOPED_TRACE(::testing::PrintToString(order));
      EXPECT_EQ(moved, std::multiset<std::string>(f.moved.begin(), f.moved.end()));
      EXPECT_EQ(two_videos, std::multiset<std::string>(f.two_videos.begin(), f.two_videos.end()));
      ASSERT_EQ(one_of.size(), 1u);
      noted.insert(*one_of.begin());
      EXPECT_EQ(noted, std::multiset<std::string>(f.one_of.begin(), f.one_of.end()));
    } while (std::next_permutation(order.begin(), order.end()) && !::testing::Test::HasFailure());
  }
}

TEST(Promises, FinishingTakesOnlyWhatTheProgramGave) {
  memory_disk disk;
  for (const char *name : {"4821_G-HEVC-0123-01.mp4", "5555_G-HEVC-0123-01.lrv", "4822_G-AVC-0124-01.mp4",
                           "4823_G-AVC-0124-01.mp4", "5556_G-AVC-0124-01.thm", // two videos for one thumbnail
                           "9999_GX012301.mp4", "2019_GREECE01.mp4", "2019_Paris.mp4", "GX010125.MP4",
                           "7777_G-AVC-0126-01.thm", "G-AVC-0126-01.mp4", "6666_G-AVC-0999-01.thm"})
    disk.add(std::string("card/") + name);
  using list = std::vector<std::pair<std::string, std::string>>;
  const list long_forms = {{"4821_G-HEVC-0123-01.mp4", "G-HEVC-0123-01.mp4"},
                           {"5555_G-HEVC-0123-01.lrv", "G-HEVC-0123-01.lrv"},
                           {"4822_G-AVC-0124-01.mp4", "G-AVC-0124-01.mp4"},
                           {"4823_G-AVC-0124-01.mp4", "G-AVC-0124-01.mp4"},
                           {"7777_G-AVC-0126-01.thm", "G-AVC-0126-01.thm"}};
  EXPECT_EQ(renamings(planned(disk, "lfdt")), long_forms); // the 8.3 form only with -o
  list with_short = long_forms; // and then a user's name of that shape cannot be told from one
  with_short.insert(with_short.begin() + 4,
                    {{"9999_GX012301.mp4", "GX012301.mp4"}, {"2019_GREECE01.mp4", "GREECE01.mp4"}});
  plan made = planned(disk, "lfo");
  EXPECT_EQ(renamings(made), with_short);
  ASSERT_EQ(made.notes.size(), 2u);
  EXPECT_EQ(made.notes[0].fate, sidecar_fate::two_videos);
  EXPECT_EQ(made.notes[1].fate, sidecar_fate::no_video);
  // An 8.3 name keeps its codec letter: an older camera's recording and a newer one's of the
  // same number keep their own thumbnails.
  memory_disk short_83;
  for (const char *name :
       {"4821_GP000701.mp4", "4822_GP000701.thm", "4823_GH000701.mp4", "4824_GH000701.thm"})
    short_83.add(std::string("card/") + name);
  EXPECT_EQ(renamings(planned(short_83, "lfo")), (list{{"4821_GP000701.mp4", "GP000701.mp4"},
                                                       {"4822_GP000701.thm", "GP000701.thm"},
                                                       {"4823_GH000701.mp4", "GH000701.mp4"},
                                                       {"4824_GH000701.thm", "GH000701.thm"}}));
  memory_disk again; // a second -o run leaves the 8.3 names of the first alone, and -v says so
  again.add("card/GX010123.MP4");
  run(again, "o");
  EXPECT_TRUE(said(run(again, "ov"), "    > No match GX012301.mp4: an 8.3 name this program gives"));
  EXPECT_EQ(again.tree(), (tree{{"card/GX012301.mp4", "card/GX010123.MP4"}}));
}

TEST(Promises, RecursionStaysInsideTheFolderAndListsEachOnce) {
  memory_disk disk;
  disk.add("card/a/GX010002.MP4");
  disk.add_folder("card/again", false, "card/a"); // the same folder at a second path
  disk.add("card/again/GX010003.MP4");
  disk.add("outside/GX010009.MP4");
  disk.add_folder("card/up", true); // a link to a folder
  disk.add("card/up/GX010004.MP4");
  disk.add("card/locked/GX010005.MP4");
  disk.unlistable = {memory_disk::path("card/locked")};
  text out = run(disk, "rv");
  EXPECT_TRUE(said(out, "    [!!] Could not list card/locked. Skipping..."));
  EXPECT_EQ(out.find(memory_disk::path("Processing files in card/locked")), text::npos);
  EXPECT_EQ(disk.tree(), (tree{{"card/a/G-HEVC-0002-01.mp4", "card/a/GX010002.MP4"},
                               {"card/locked/GX010005.MP4", "card/locked/GX010005.MP4"},
                               {"card/again/GX010003.MP4", "card/again/GX010003.MP4"},
                               {"card/up/GX010004.MP4", "card/up/GX010004.MP4"},
                               {"outside/GX010009.MP4", "outside/GX010009.MP4"}}));
}

TEST(Promises, OneStartTimePerRecording) {
  memory_disk disk;
  disk.add("card/GX020123.MP4", camera_video(started + 1062, "HD9.01"));
  disk.add("card/GH010123.MP4", camera_video(started + 5000, "HD9.01")); // AVC: a recording of its own
  disk.add("card/2017-04-21_18-27-57_G-HEVC-0123-01.mp4", camera_video(started, "HD9.01")); // chapter 01
  disk.add("card/GP010090.MP4", camera_video(started + 60, "HD5.02"));
  disk.add("card/GOPR0090.MP4", camera_video(started + 30, "HD5.02")); // the older camera's first file
  disk.add("card/GX010200.MP4", "held")->unreadable = true;            // its recording stays as it is
  disk.add("card/GX020200.MP4", camera_video(started, "HD9.01"));
  disk.add("card/gx010200.mp4", camera_video(started, "HD9.01")); // the same chapter, a name apart
  disk.add("card/GX010200.THM");                                  // stays with its videos, both staying
  disk.add("card/GX010300.MP4", "a FIFO")->regular = false;       // no time, and never opened
  disk.add("card/GX010400.MP4", camera_video(started, "HD9.01"))->fails_reading = true; // stays too
  disk.add("card/GX020300.MP4", camera_video(started + 7, "HD9.01"));
  // The same chapter under two names: the first in the listing dates it.
  disk.add("card/G-HEVC-0150-01.mp4", camera_video(started + 100, "HD9.01"));
  disk.add("card/GX010150.MP4", camera_video(started + 200, "HD9.01"));
  disk.add("card/4821_G-HEVC-0151-01.mp4", camera_video(started + 100, "HD9.01")); // a chapter all the same
  disk.add("card/GX020151.MP4", camera_video(started + 200, "HD9.01"));
  disk.add("card/GX010152.THM")->fails_reading = true; // no chapter: never read
  disk.add("card/GX020152.MP4", camera_video(started + 200, "HD9.01"));
  disk.add("card/GX010160.MP4", camera_video(2082844800, "HD9.01")); // 1970-01-01 00:00:00 is a date
  disk.add("card/GX010170.MP4", camera_video(started, "HD9.01", gpmf(32767))); // a zone never set
  disk.add("card/GX020170.MP4", camera_video(started + 300, "HD9.01"));
  disk.add("card/GX010180.MP4", camera_video(started, "HD9.01", gpmf(-605))); // a zone, and no CDAT
  disk.add("card/GX010181.MP4", camera_video(started, "HD9.01", gpmf(0, 1492799277 + 60))); // a CDAT apart
  disk.add("card/GX010190.MP4"); // no header: dated by its last change
  disk.add("card/sub/GX010123.MP4", camera_video(started + 9000, "H23.01"));
  disk.add("card/sub/GX020123.MP4", camera_video(started + 9999, "H22.01", gpmf(120)));
  plan timed = planned(disk, "rtl");
  std::vector<std::string> left; // each with its [!!] line
  file_list files = scan(disk, memory_disk::path("card"), true, false).files;
  for (const left_out &out : timed.left)
    left.push_back(encode_name(files[out.file].name));
  EXPECT_EQ(left, (std::vector<std::string>{"GX010200.MP4", "GX010400.MP4"}));
  ASSERT_EQ(timed.notes.size(), 1u);
  EXPECT_EQ(encode_name(files[timed.notes[0].file].name), "GX010152.THM"); // with no video
  EXPECT_EQ(renamings(timed), (std::vector<std::pair<std::string, std::string>>{
                                  {"GX020123.MP4", "2017-04-21_18-27-57_G-HEVC-0123-02.mp4"},
                                  {"GH010123.MP4", "2017-04-21_19-51-17_G-AVC-0123-01.mp4"},
                                  {"GP010090.MP4", "2017-04-21_18-28-27_G-AVC-0090-01.mp4"},
                                  {"GOPR0090.MP4", "2017-04-21_18-28-27_G-AVC-0090-PR.mp4"},
                                  {"GX010300.MP4", "2017-04-21_18-28-04_G-HEVC-0300-01.mp4"},
                                  {"GX020300.MP4", "2017-04-21_18-28-04_G-HEVC-0300-02.mp4"},
                                  {"GX010150.MP4", "2017-04-21_18-29-37_G-HEVC-0150-01.mp4"},
                                  {"GX020151.MP4", "2017-04-21_18-29-37_G-HEVC-0151-02.mp4"},
                                  {"GX020152.MP4", "2017-04-21_18-31-17_G-HEVC-0152-02.mp4"},
                                  {"GX010160.MP4", "1970-01-01_00-00-00_G-HEVC-0160-01.mp4"},
                                  {"GX010170.MP4", "2017-04-21_18-32-57_G-HEVC-0170-01.mp4"},
                                  {"GX020170.MP4", "2017-04-21_18-32-57_G-HEVC-0170-02.mp4"},
                                  {"GX010180.MP4", "2017-04-21_08-22-57_G-HEVC-0180-01.mp4"},
                                  {"GX010181.MP4", "2017-04-21_18-27-57_G-HEVC-0181-01.mp4"},
                                  {"GX010190.MP4", "2023-05-06_15-59-02_G-HEVC-0190-01.mp4"},
                                  {"GX010123.MP4", "2017-04-21_20-57-57_G-HEVC-0123-01.mp4"},
                                  {"GX020123.MP4", "2017-04-21_20-57-57_G-HEVC-0123-02.mp4"}}));
  // A FIFO, and the chapters after one that cannot be read.
  for (const char *never_opened : {"card/GX010300.MP4", "card/gx010200.mp4", "card/GX020200.MP4"})
    EXPECT_EQ(
        std::count(disk.log.begin(), disk.log.end(), "open " + encode_name(memory_disk::path(never_opened))),
        0)
        << never_opened;
  // -v says why a chapter gave no time, and whose time its recording has instead; a
  // recording that cannot be read has its [!!] line, and no line of times.
  std::vector<std::string> said_why; // "/" the separator
  text out = run(disk, "rtvs");
  for (std::size_t at = 0, end; (end = out.find(u"\r\n", at)) != text::npos; at = end + 2) {
    std::string line = encode_name(out.substr(at, end - at));
    std::replace(line.begin(), line.end(), '\\', '/');
    if (line.starts_with("    > Recording") || line.starts_with("    > No usable") ||
        line.starts_with("    [!!]"))
      said_why.push_back(line);
  }
  EXPECT_EQ(
      said_why,
      (std::vector<std::string>{
          "    [!!] Could not read card/GX010200.MP4: the file is in use. Its recording stays as it is...",
          "    [!!] Could not read card/GX010400.MP4: the system refused it. Its recording stays as it is...",
          "    > Recording of card/2017-04-21_18-27-57_G-HEVC-0123-01.mp4 started 2017-04-21_18-27-57, by "
          "the camera's clock",
          "    > Recording of card/GH010123.MP4 started 2017-04-21_19-51-17, by the camera's clock",
          "    > Recording of card/GOPR0090.MP4 started 2017-04-21_18-28-27, by the camera's clock",
          "    > No usable time in card/GX010300.MP4: no movie header (moov with mvhd) can be read",
          "    > Recording of card/GX020300.MP4 started 2017-04-21_18-28-04, by the camera's clock",
          "    > Recording of card/G-HEVC-0150-01.mp4 started 2017-04-21_18-29-37, by the camera's clock",
          "    > Recording of card/4821_G-HEVC-0151-01.mp4 started 2017-04-21_18-29-37, by the camera's "
          "clock",
          "    > Recording of card/GX020152.MP4 started 2017-04-21_18-31-17, by the camera's clock",
          "    > Recording of card/GX010160.MP4 started 1970-01-01_00-00-00, by the camera's clock",
          "    > No usable time in card/GX010170.MP4: its zone was never set (TZON 32767) and it holds no "
          "CDAT",
          "    > Recording of card/GX020170.MP4 started 2017-04-21_18-32-57, by the camera's clock",
          "    > Recording of card/GX010180.MP4 started 2017-04-21_08-22-57, UTC-10:05, as the camera was "
          "set",
          "    > Recording of card/GX010181.MP4 started 2017-04-21_18-27-57, UTC+00:00, as the camera was "
          "set",
          "    > Recording of card/GX010181.MP4: its clock (CDAT) says 2017-04-21_18-28-57",
          "    > No usable time in card/GX010190.MP4: no movie header (moov with mvhd) can be read",
          "    > Recording of card/GX010190.MP4: no start time in its videos, each chapter dated by its last "
          "change",
          "    > Recording of card/sub/GX010123.MP4 started 2017-04-21_20-57-57, UTC shown in local time",
      }));
  plan short_names = planned(disk, "rto"); // -o: nothing to read, nothing held back
  EXPECT_EQ(short_names.jobs.size(), 21u); // every camera name
  EXPECT_TRUE(short_names.left.empty());
  EXPECT_TRUE(short_names.examined.empty());
  // Only -d reads each file's last change as it lists: -t asks for it where no start was
  // found, and -o has no date.
  const std::pair<const char *, bool> needs[] = {
      {"d", true}, {"", false}, {"t", false}, {"dt", false}, {"do", false}};
  for (const auto &[switches, needed] : needs)
    EXPECT_EQ(plan_needs_file_times(options_of(switches)), needed) << switches;
}

TEST(Promises, CameraNamesComeBackExactly) {
  memory_disk disk;
  disk.add("card/GH010123.MP4", camera_video(started, "HD9.01"));
  disk.add("card/GX010124.MP4");
  disk.add("card/gx010125.mp4"); // comes back in the camera's letter case
  disk.add("card/GOPR0007.MP4");
  disk.add("card/GP010007.MP4");                                  // its PR file tells an older camera
  disk.add("card/GP010008.MP4", camera_video(started, "HD5.02")); // and so does HD5 firmware
  disk.add("card/GH010009.MP4", camera_video(started, "HD6.01"));
  disk.add("card/GP010091.MP4", camera_video(started, "HD5.02"));
  disk.add("card/GP020091.MP4", "the battery died"); // no header: its recording tells
  disk.add("card/Gameplay.mp4");                     // a name no camera writes stays
  tree before = disk.tree();
  run(disk, "t");
  run(disk, "c");
  tree back = before;
  back["card/GX010125.MP4"] = back.extract("card/gx010125.mp4").mapped();
  back["card/2023-05-06_15-59-02_G-AVC-play-me.mp4"] = back.extract("card/Gameplay.mp4").mapped();
  EXPECT_EQ(disk.tree(), back);
  run(disk, "c"); // a second run changes nothing
  EXPECT_EQ(disk.tree(), back);

  memory_disk taken;
  for (const char *name : {"G-HEVC-0126-01.mp4", "G-HEVC-0127-01.mp4", "_G-HEVC-0127-01.mp4",
                           "G-AVC-0128-01.mp4", "2019_GH010128.MP4", "2019_GH010129.MP4", "G-AVC-0130-01.mp4",
                           "G-AVC-0130-01.lrv", "G-HEVC-0130-01.mp4", "G-HEVC-0130-01.lrv",
                           // an older camera's PR file under its camera name, or an odd name of its shape
                           "GOPR0131.MP4", "GHPR0132.MP4", "G-AVC-0132-01.mp4", "GP010133.MP4",
                           "G-AVC-0133-01.lrv"}) // a proxy beside an older camera's video
    taken.add(std::string("card/") + name);
  taken.add("card/GX010126.MP4", "mine");
  // Only an AVC recording of no known camera is read, and one that cannot be read stays.
  for (const char *unread : {"card/G-AVC-0131-01.mp4", "card/G-HEVC-0134-01.mp4", "card/G-AVC-0136-01.mp4"})
    taken.add(unread)->fails_reading = true;
  using list = std::vector<std::pair<std::string, std::string>>;
  const list videos = {{"G-HEVC-0127-01.mp4", "GX010127.MP4"}, {"G-AVC-0128-01.mp4", "GH010128.MP4"},
                       {"G-AVC-0130-01.mp4", "GH010130.MP4"},  {"G-HEVC-0130-01.mp4", "GX010130.MP4"},
                       {"G-AVC-0132-01.mp4", "GH010132.MP4"},  {"G-AVC-0131-01.mp4", "GP010131.MP4"},
                       {"G-HEVC-0134-01.mp4", "GX010134.MP4"}};
  EXPECT_EQ(renamings(planned(taken, "c")), videos); // a sidecar only with -l
  list with_sidecars = videos;
  with_sidecars.insert(with_sidecars.begin() + 3, {"G-AVC-0130-01.lrv", "GL010130.LRV"});
  with_sidecars.insert(with_sidecars.begin() + 6, {"G-AVC-0133-01.lrv", "GP010133.LRV"});
  plan made = planned(taken, "cl");
  EXPECT_EQ(renamings(made), with_sidecars);
  // The name stands there, or an earlier file takes it: both proxies would be GL010130.LRV.
  EXPECT_EQ(made.left.size(), 4u);
  EXPECT_EQ(std::count_if(made.left.begin(), made.left.end(),
                          [](const left_out &out) { return out.reason == left_out_reason::unreadable; }),
            1);
  EXPECT_TRUE(said(run(taken, "cls"),
                   "    [!!] card/G-HEVC-0126-01.mp4 keeps its name: its camera name GX010126.MP4 is taken"));
  // -f -c takes a user's name of that shape only where no file of its chapter has a final name.
  EXPECT_EQ(renamings(planned(taken, "fc")),
            (std::vector<std::pair<std::string, std::string>>{{"2019_GH010129.MP4", "GH010129.MP4"}}));
}

TEST(Promises, AllTakes360VideosAndCameraNamesWithAPrefix) {
  struct row {
    const char *name;
    const char *final; // with -a; none: not taken
    std::optional<not_taken> why = {};
  };
  const std::string prefix_28 = "Abc.def_(2)+,-0123456789XYZ-"; // as long as a prefix may be
  const std::string gh0210 = prefix_28 + "GH010210.MP4", gh0211 = "x" + prefix_28 + "GH010211.MP4";
  const std::string final0210 = prefix_28 + "G-AVC-0210-01.mp4";
  const row rows[] = {
      {"GS010135.360", "G-360-0135-01.360"},
      {"gs020135.360", "G-360-0135-02.360"},
      {"CamA-GH010206.MP4", "CamA-G-AVC-0206-01.mp4"},
      {"Camz-GH010219.MP4", "Camz-G-AVC-0219-01.mp4"},
      {"A023-05-06_15-59-02_GH010221.MP4", "A023-05-06_15-59-02_G-AVC-0221-01.mp4"}, // no date
      {"2023-05-06_15-59-02GH010220.MP4", nullptr, not_taken::prefix_dated},
      {"_CamGH010223.MP4", nullptr, not_taken::prefix_dated}, // "_" alone: -d's name without a date
      {"4821_Cam A-GH010222.MP4", nullptr, not_taken::prefix_temporary},
      {"CamA-GX020206.THM", nullptr}, // a sidecar, without -l
      {"CamA-GS010207.360", "CamA-G-360-0207-01.360"},
      {gh0210.c_str(), final0210.c_str()},
      {gh0211.c_str(), nullptr, not_taken::prefix_characters},
      {"Cam A-GH010212.MP4", nullptr, not_taken::prefix_characters},
      {"x-gh010213.mp4", nullptr, not_taken::prefix_not_upper},
      {"0123_GX010214.MP4", nullptr, not_taken::prefix_temporary},
      {"2023-05-06_15-59-02_GX010215.MP4", nullptr, not_taken::prefix_dated},
      {"Trip-GX01012.MP4", nullptr},
      {"My Gameplay.mp4", nullptr},
      {"CamA-GOPR0216.MP4", nullptr},
      {"CamA-GS010217.MP4", nullptr},
      {"GS010218.MOV", nullptr},
  };
  memory_disk disk;
  for (const row &r : rows)
    disk.add(std::string("card/") + r.name);
  using list = std::vector<std::pair<std::string, std::string>>;
  list taken;
  for (const row &r : rows)
    if (r.final)
      taken.emplace_back(r.name, r.final);
  plan plain = planned(disk, "");
  EXPECT_EQ(renamings(plain), list{}); // without -a, nothing of this
  EXPECT_TRUE(plain.examined.empty()); // and -v says nothing of them
  plan made = planned(disk, "a");
  EXPECT_EQ(renamings(made), taken);
  std::map<std::string, not_taken> notes;
  file_list files = scan(disk, memory_disk::path("card"), false, false).files;
  for (const examination_note &note : made.examined)
    notes[encode_name(files[note.file].name)] = note.why;
  for (const row &r : rows) {
    if (r.why) {
      EXPECT_EQ(notes.count(r.name) ? notes.at(r.name) : not_taken::cut_character, *r.why) << r.name;
    }
  }
  // -o has no name for them: each is left alone, and says why.
  plan short_names = planned(disk, "ao");
  EXPECT_EQ(short_names.jobs.size(), 0u);
  EXPECT_EQ(
      std::count_if(short_names.examined.begin(), short_names.examined.end(),
                    [](const examination_note &note) { return note.why == not_taken::spherical_short; }),
      3);
  // There and back exactly, a 360 video's name in the camera's letter case.
  tree before = disk.tree();
  run(disk, "a");
  for (const auto &[name, final] : taken)
    EXPECT_EQ(disk.tree().count("card/" + final), 1u) << final;
  run(disk, "c"); // without -a, -c leaves them as they are
  run(disk, "ca");
  tree back = before;
  back["card/GS020135.360"] = back.extract("card/gs020135.360").mapped();
  EXPECT_EQ(disk.tree(), back);
  // -f -a finishes their temporary names; -f alone does not.
  memory_disk cut;
  cut.add("card/4822_G-360-0135-01.360");
  cut.add("card/4823_CamA-G-AVC-0206-01.mp4");
  EXPECT_EQ(renamings(planned(cut, "f")), list{});
  EXPECT_EQ(renamings(planned(cut, "fa")), (list{{"4822_G-360-0135-01.360", "G-360-0135-01.360"},
                                                 {"4823_CamA-G-AVC-0206-01.mp4", "CamA-G-AVC-0206-01.mp4"}}));
}

// JSON lines with each "card/" written with the platform's separator.
std::string with_separator(std::string lines) {
  const std::string separator = memory_disk::path("/") == u"/" ? "/" : "\\\\";
  for (std::size_t at = lines.find("card/"); at != std::string::npos; at = lines.find("card/", at + 1))
    lines.replace(at + 4, 1, separator);
  return lines;
}

TEST(Promises, JsonLinesForScripts) {
  text escaped;
  append_json_string(escaped, u"\xDCFF"
                              u"a\"b\\c\td\n\x1b\U0001F4F9\xD83D.\U0001F4F9");
  EXPECT_EQ(escaped, u"\"\uFFFDa\\\"b\\\\c\\u0009d\\u000a\\u001b\U0001F4F9\uFFFD.\U0001F4F9\"");
  memory_disk disk;
  captured_lines asked; // a script cannot answer the prompt
  sort_chapters(disk, asked, counting(), memory_disk::path("card"), options_of("j"));
  EXPECT_EQ(asked.written, u"{\"type\":\"error\",\"reason\":\"needs_s_or_u\"}\n");
  disk.add("card/GX010123.MP4");
  disk.add("card/GX010124.MP4");
  disk.add("card/G-HEVC-0124-01.mp4", "mine");
  disk.add("card/GX010125.MP4");
  disk.add("card/GL010125.LRV");
  disk.add("card/GL019999.LRV");
  disk.add("card/GX010126.MP4");
  disk.link("card/GX010126.MP4", "card/1900_G-HEVC-0126-01.mp4");
  disk.add("card/GX01\xff"
           "127.MP4");
  disk.refused = {memory_disk::path("card/GX010125.MP4")};
  std::string expected = R"({"type":"log","text":"Processing files in card..."}
{"type":"rename","from":"card/GX010123.MP4","to":"card/G-HEVC-0123-01.mp4"}
{"type":"rename","from":"card/GX010124.MP4","to":"card/G-HEVC-0124-01.mp4"}
{"type":"rename","from":"card/GX010125.MP4","to":"card/G-HEVC-0125-01.mp4"}
{"type":"rename","from":"card/GL010125.LRV","to":"card/G-HEVC-0125-01.lrv"}
{"type":"rename","from":"card/GX01\uFFFD127.MP4","from_hex":"HEX1","to":"card/G-HEVC-\uFFFD127-01.mp4","to_hex":"HEX2"}
{"type":"remove","name":"card/GX010126.MP4","kept":"card/1900_G-HEVC-0126-01.mp4"}
{"type":"note","file":"card/GL019999.LRV","reason":"no_video"}
{"type":"removed","name":"card/GX010126.MP4","kept":"card/1900_G-HEVC-0126-01.mp4"}
{"type":"renamed","from":"card/GX010123.MP4","to":"card/G-HEVC-0123-01.mp4"}
{"type":"failed","from":"card/1001_G-HEVC-0124-01.mp4","to":"card/G-HEVC-0124-01.mp4","step":"final","reason":"name_taken"}
{"type":"failed","from":"card/GX010125.MP4","to":"card/1002_G-HEVC-0125-01.mp4","step":"temporary","reason":"in_use"}
{"type":"failed","from":"card/GL010125.LRV","to":"card/1003_G-HEVC-0125-01.lrv","step":"temporary","reason":"video_not_renamed"}
{"type":"renamed","from":"card/GX01\uFFFD127.MP4","from_hex":"HEX1","to":"card/G-HEVC-\uFFFD127-01.mp4","to_hex":"HEX2"}
{"type":"summary","planned":6,"renamed":3,"failed":3}
)";
#ifdef _WIN32 // the UTF-16LE units, "\" the separator
  const std::string hex1 = "63006100720064005c004700580030003100ffdc3100320037002e004d0050003400";
  const std::string hex2 =
      "63006100720064005c0047002d0048004500560043002d00ffdc3100320037002d00300031002e006d0070003400";
#else // the bytes, "/" the separator
  const std::string hex1 = "636172642f47583031ff3132372e4d5034";
  const std::string hex2 = "636172642f472d484556432dff3132372d30312e6d7034";
#endif
  expected.replace(expected.find("HEX1"), 4, hex1);
  expected.replace(expected.find("HEX2"), 4, hex2);
  expected.replace(expected.rfind("HEX1"), 4, hex1);
  expected.replace(expected.rfind("HEX2"), 4, hex2);
  expected = with_separator(expected);
  for (std::size_t at = expected.find("\\uFFFD"); at != std::string::npos; at = expected.find("\\uFFFD"))
    expected.replace(at, 6, "\xEF\xBF\xBD");
  text out = run(disk, "jlv");
  // The -v examination of every file is logged too; the lines after it are the plan.
  std::size_t plan_at = out.find(u"{\"type\":\"rename\"");
  ASSERT_NE(plan_at, text::npos);
  EXPECT_NE(out.find(u"{\"type\":\"log\",\"text\":\"    > Match GX010123.MP4\"}\n"), text::npos);
  EXPECT_EQ(encode_name(out.substr(0, out.find(u'\n') + 1) + out.substr(plan_at)), expected);
}

TEST(Promises, JsonLinesSayWhatWasLeft) {
  memory_disk disk;
  disk.add("card/GX010130.MP4")->unreadable = true; // -t cannot read its start
  disk.add("card/G-HEVC-0131-01.mp4");
  disk.add("card/2023-05-06_15-59-02_G-HEVC-0131-01.mp4");
  disk.add("card/GL010131.LRV"); // a proxy of two videos
  disk.add("card/GX010132.MP4");
  disk.link("card/GX010132.MP4", "card/1000_G-HEVC-0132-01.mp4");
  bool changed = false; // the kept name comes to hold another file
  disk.before_change = [&](const text &, const text &) {
    if (!std::exchange(changed, true)) {
      disk.remove_name("card/1000_G-HEVC-0132-01.mp4");
      disk.add("card/1000_G-HEVC-0132-01.mp4", "another");
    }
  };
  text out = run(disk, "jtlv");
  EXPECT_EQ(out.find(u"\\u000"), text::npos); // the -v lines' line breaks stay out of the log
  EXPECT_EQ(
      encode_name(out.substr(out.find(u"{\"type\":\"re"))),
      with_separator(R"({"type":"remove","name":"card/GX010132.MP4","kept":"card/1000_G-HEVC-0132-01.mp4"}
{"type":"note","file":"card/GX010130.MP4","reason":"unreadable"}
{"type":"note","file":"card/GL010131.LRV","reason":"two_videos"}
{"type":"failed","from":"card/GX010132.MP4","to":"card/1000_G-HEVC-0132-01.mp4","step":"remove","reason":"system_refused"}
{"type":"summary","planned":1,"renamed":0,"failed":1}
)"));
}

} // namespace
