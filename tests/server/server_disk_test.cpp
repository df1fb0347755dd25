// The state folder on a small tmpfs that fills up: submissions are answered 503 and leave nothing
// half-written, and once space is freed the server takes games again.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

#include "server/rig.h"

namespace {

std::string IntegrityCheck(const std::string &db) {
  sqlite3 *handle = nullptr;
  sqlite3_stmt *query = nullptr;
  std::string answer = "cannot open";
  if (sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(handle, "PRAGMA integrity_check", -1, &query, nullptr) == SQLITE_OK &&
      sqlite3_step(query) == SQLITE_ROW)
    answer = reinterpret_cast<const char *>(sqlite3_column_text(query, 0));
  sqlite3_finalize(query);
  sqlite3_close(handle);
  return answer;
}

}  // namespace

TEST(ServerFaults, FullDiskAnswers503AndRecovers) {
  ttempdir disk;
  if (mount("redsiege-test", disk.path.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=4m,mode=0700") != 0)
    GTEST_SKIP() << "mount refused: " << std::strerror(errno);
  const std::shared_ptr<void> unmount(nullptr, [&](void *) { umount2(disk.path.c_str(), MNT_DETACH); });
  tserver s(SQLITE, {}, disk.path);
  ASSERT_TRUE(s.Start()) << s.Log();
  const tplayedgame before = PlayScriptedGame(90, 250);
  ASSERT_EQ(Submit(s.Url(), SubmissionOf(before, "early")).status, 202);
  ASSERT_EQ(WaitVerdict(s.Url(), before.id)["status"], "verified");

  // The disk filled to its last byte (a page at a time, then a byte at a time).
  const std::string filler = disk.path + "/filler";
  const int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  static const char block[4096] = {};
  for (ssize_t size : {4096, 1})
    while (write(fd, block, static_cast<size_t>(size)) == size) {
    }
  close(fd);
  // Pages already written may take a game or two; past them, every answer is 503.
  std::vector<tplayedgame> refused;
  std::set<std::string> taken = {before.id};
  for (uint32_t seed = 91; seed < 111 && refused.size() < 3; ++seed) {
    const tplayedgame g = PlayScriptedGame(seed, 250);
    const thttpreply r = Submit(s.Url(), SubmissionOf(g, "late"));
    ASSERT_TRUE(r.status == 202 || r.status == 503) << r.status << ": " << r.body;
    if (r.status == 503) {
      EXPECT_TRUE(r.Json().is_object() && r.Json()["error"].is_string()) << r.body;
      refused.push_back(g);
    } else {
      taken.insert(g.id);
    }
  }
  ASSERT_EQ(refused.size(), 3u) << "the full disk never refused a game";
  EXPECT_EQ(HttpGet(s.Url("/v1/boards/survivors")).status, 200);  // reading needs no space
  for (const tplayedgame &g : refused) EXPECT_EQ(HttpGet(s.Url("/v1/games/" + g.id)).status, 404) << "half-written";

  // Space again: the refused games are taken, and everything taken is verified.
  std::filesystem::remove(filler);
  for (const tplayedgame &g : refused) {
    EXPECT_EQ(Submit(s.Url(), SubmissionOf(g, "late")).status, 202);
    taken.insert(g.id);
  }
  for (const std::string &id : taken) EXPECT_EQ(WaitVerdict(s.Url(), id)["status"], "verified") << id;
  EXPECT_EQ(Board(s.Url(), "survivors")["total"], taken.size());
  EXPECT_EQ(s.Stop(), 0) << s.Log();
  EXPECT_EQ(IntegrityCheck(s.dir.path + "/scores.db"), "ok");
}
