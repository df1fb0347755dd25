// Replays fetched from the web into a folder of the player's: what `--replay https://...` waits
// for before the window opens, and the names the online client keeps its downloads under.
#pragma once
#include <cstddef>
#include <string>

// An http:// or https:// address (the scheme in any case), as opposed to a file's path.
bool IsWebAddress(const std::string &text);

// "redsiege-<id>.rsr": a game's replay as fetched from the score server.
std::string ServerReplayName(const std::string &id);
// The name a download from `url` is kept under: the server's replay address (.../games/<id>/replay)
// gives ServerReplayName(id); any other, its last path part (percent escapes undone) with only
// letters, digits, '.', '_' and '-' (others become '_'), never starting with '.', at most 64
// characters and ending in ".rsr"; "replay.rsr" when nothing is left.
std::string DownloadName(const std::string &url);

// Writes `bytes` into `folder` (made when missing) as `name`, by a temporary file renamed over it:
// the file's path, or "" with why in one line.
std::string KeepDownload(const std::string &folder, const std::string &name, const std::string &bytes,
                         std::string &why);

// Fetches `url` (only http and https, redirects followed) into `folder` under DownloadName(url)
// and returns the file's path. Waits for it: at most `connectSeconds` to reach the server and `seconds` in all, never
// reading more than `most` bytes. "" with one line in `why` when it fails: no answer, a refusal
// (the server's own {"error": ...} when it gives one), an answer larger than `most`, an empty
// one, or a folder that cannot be written.
std::string DownloadFile(const std::string &url, const std::string &folder, size_t most, std::string &why,
                         long connectSeconds = 10, long seconds = 60);
