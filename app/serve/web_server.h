// `gmpbill serve`: the workbench over HTTP.
//
// The server listens on 127.0.0.1 unless told otherwise; any other address
// needs --listen and a token, which every request must then carry (the
// "X-Workbench-Token" header, "token" in the query of the page's address, or
// the cookie the server sets once the token was shown). Request bodies are limited in size; the
// page and its script and style are built into the program.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orb::serve {

struct ServeOptions {
  std::string database = "gmpbill-web.db";
  std::string address = "127.0.0.1";
  int port = 8080;  // 0: any free port
  std::string language = "chs";
  std::string seed;  // a SQL script run at each start
  // Required (and checked on every request) when the address is not the
  // loopback one.
  std::string token;
};

// The largest request body the server reads, in bytes.
inline constexpr size_t kMaxBody = 64 * 1024;

// Reads the command's arguments. Returns the options, or std::nullopt after
// writing the reason (or the help, with `help` set) to `err`.
std::optional<ServeOptions> ParseServeArgs(const std::vector<std::string>& args, std::ostream& out,
                                           std::ostream& err, bool& help);

// The value of the cookie `name` in a Cookie header; "" when absent.
std::string CookieValue(std::string_view header, std::string_view name);

// True for an address only this machine reaches.
bool IsLoopback(const std::string& address);

// Compares a presented token with the expected one in time that does not
// depend on where they differ.
bool SameToken(std::string_view presented, std::string_view expected);

// The built-in page files: "index.html", "app.js", "style.css".
std::optional<std::string_view> WebFile(std::string_view name);

// Runs the server until SIGINT or SIGTERM; prints the address to `out`.
// Returns the exit code.
int Serve(const ServeOptions& options, std::ostream& out, std::ostream& err);

// The `gmpbill serve` command.
int ServeCommand(const std::vector<std::string>& args);

}  // namespace orb::serve
