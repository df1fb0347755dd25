// The state folder on a disk that fills up: submissions are answered 503 and leave nothing
// half-written, and once space is freed the server takes games again.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

#include "server/server_fixture.h"

namespace {

// A small tmpfs, unmounted after; `mounted` false (with why) where mounting is not allowed.
class tsmalldisk {
 public:
  tsmalldisk() {
    if (mount("redsiege-test", dir_.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=4m,mode=0700") == 0)
      mounted_ = true;
    else
      why_ = std::string("mount refused: ") + std::strerror(errno);
  }
  ~tsmalldisk() {
    if (mounted_) umount2(dir_.path().c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  const std::string &why() const { return why_; }
  std::string path() const { return dir_.path(); }

 private:
  ttempdir dir_;
  bool mounted_ = false;
  std::string why_;
};

// Fills the disk with one file to its last byte.
void Fill(const std::string &path) {
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  static const char block[4096] = {};
  while (std::fwrite(block, 1, sizeof block, f) == sizeof block) {
  }
  std::fclose(f);
  // The last partial page too.
  f = std::fopen(path.c_str(), "ab");
  if (f) {
    while (std::fwrite(block, 1, 1, f) == 1 && std::fflush(f) == 0) {
    }
    std::fclose(f);
  }
}

std::string IntegrityCheck(const std::string &db) {
  sqlite3 *handle = nullptr;
  std::string answer = "cannot open";
  if (sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt *query = nullptr;
    if (sqlite3_prepare_v2(handle, "PRAGMA integrity_check", -1, &query, nullptr) == SQLITE_OK &&
        sqlite3_step(query) == SQLITE_ROW)
      answer = reinterpret_cast<const char *>(sqlite3_column_text(query, 0));
    sqlite3_finalize(query);
  }
  sqlite3_close(handle);
  return answer;
}

}  // namespace

TEST(ServerFaults, FullDiskAnswers503AndRecovers) {
  tsmalldisk disk;
  if (!disk.mounted()) GTEST_SKIP() << disk.why();
  const std::string state = disk.path() + "/state";
  std::filesystem::create_directory(state);
  tserverprocess server(tserverconfig{state, "", RaisedRates()});
  ASSERT_TRUE(server.Start()) << server.Log();
  const std::string url = server.Url("");
  const tplayedgame before = PlayScriptedGame(90, 250);
  ASSERT_EQ(Submit(url, SubmissionOf(before, "early")).status, 202);
  ASSERT_EQ(WaitVerdict(url, before.id)["status"], "verified");

  const std::string filler = disk.path() + "/filler";
  Fill(filler);
  // Pages already written may take a game or two; past them, every answer is 503.
  std::vector<tplayedgame> refused;
  std::set<std::string> taken;
  for (uint32_t seed = 91; seed < 111 && refused.size() < 3; ++seed) {
    const tplayedgame g = PlayScriptedGame(seed, 250);
    const thttpreply r = Submit(url, SubmissionOf(g, "late"));
    ASSERT_TRUE(r.status == 202 || r.status == 503) << r.status << ": " << r.body;
    if (r.status == 503) {
      EXPECT_TRUE(r.Json().is_object() && r.Json()["error"].is_string()) << r.body;
      refused.push_back(g);
    } else {
      taken.insert(g.id);
    }
  }
  ASSERT_EQ(refused.size(), 3u) << "the full disk never refused a game";
  EXPECT_EQ(HttpGet(url + "/v1/boards/survivors").status, 200);  // reading needs no space
  for (const tplayedgame &g : refused) EXPECT_EQ(HttpGet(url + "/v1/games/" + g.id).status, 404) << "half-written";

  // Space again: the refused games are taken, and everything taken is verified.
  std::filesystem::remove(filler);
  for (const tplayedgame &g : refused) {
    EXPECT_EQ(Submit(url, SubmissionOf(g, "late")).status, 202);
    taken.insert(g.id);
  }
  for (const std::string &id : taken) EXPECT_EQ(WaitVerdict(url, id)["status"], "verified") << id;
  EXPECT_EQ(Board(url, "survivors")["total"], taken.size() + 1);
  EXPECT_EQ(server.Stop(), 0) << server.Log();
  EXPECT_EQ(IntegrityCheck(state + "/scores.db"), "ok");
}
