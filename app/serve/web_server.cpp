#include "app/serve/web_server.h"

#include <arpa/inet.h>
#include <pthread.h>
#include <signal.h>

#include <httplib.h>

#include <iostream>
#include <random>
#include <sstream>
#include <thread>
#include <utility>

#include "app/serve/workbench.h"
#include "refhost/embedded.h"

namespace orb::serve {

const std::vector<refhost::EmbeddedFile>& WebFiles();

namespace {

const char* kHelp =
    "usage: gmpbill serve [--database FILE] [--port N] [--language chs|en]\n"
    "                     [--seed FILE] [--listen ADDRESS --token TOKEN]\n"
    "\n"
    "Serves the bills in a web page on http://127.0.0.1:PORT/, on the demo\n"
    "database (made on first start, kept between starts). Ctrl-C stops it.\n"
    "\n"
    "  --database FILE    the database file (default gmpbill-web.db)\n"
    "  --port N           the port (default 8080; 0 picks a free one)\n"
    "  --language LANG    the language of the page before a login (chs or en)\n"
    "  --seed FILE        a SQL script run on the database at each start, after\n"
    "                     the demo data (bills and master data of your own)\n"
    "  --listen ADDRESS   listen on another address than 127.0.0.1; needs --token\n"
    "  --token TOKEN      a secret every request must carry (at least 16\n"
    "                     characters); the page's address carries it as ?token=\n";

constexpr const char* kTokenHeader = "X-Workbench-Token";
constexpr const char* kTokenCookie = "workbench_token";

std::string ContentType(std::string_view name) {
  if (name.ends_with(".html")) return "text/html; charset=utf-8";
  if (name.ends_with(".js")) return "text/javascript; charset=utf-8";
  if (name.ends_with(".css")) return "text/css; charset=utf-8";
  if (name.ends_with(".png")) return "image/png";
  return "application/octet-stream";
}

void SetJson(httplib::Response& res, int status, const nlohmann::json& body) {
  res.status = status;
  res.set_content(body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                  "application/json; charset=utf-8");
}

}  // namespace

std::string CookieValue(std::string_view header, std::string_view name) {
  while (!header.empty()) {
    const size_t end = header.find(';');
    std::string_view pair = header.substr(0, end);
    header = end == std::string_view::npos ? std::string_view() : header.substr(end + 1);
    while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
    const size_t eq = pair.find('=');
    if (eq != std::string_view::npos && pair.substr(0, eq) == name) {
      return std::string(pair.substr(eq + 1));
    }
  }
  return "";
}

bool IsLoopback(const std::string& address) {
  in_addr v4{};
  if (inet_pton(AF_INET, address.c_str(), &v4) == 1) {
    return (ntohl(v4.s_addr) >> 24) == 127;
  }
  in6_addr v6{};
  if (inet_pton(AF_INET6, address.c_str(), &v6) == 1) return IN6_IS_ADDR_LOOPBACK(&v6);
  return address == "localhost";
}

bool SameToken(std::string_view presented, std::string_view expected) {
  unsigned char diff = presented.size() == expected.size() ? 0 : 1;
  for (size_t i = 0; i < expected.size(); ++i) {
    const unsigned char p = i < presented.size() ? presented[i] : 0;
    diff |= static_cast<unsigned char>(p ^ static_cast<unsigned char>(expected[i]));
  }
  return diff == 0;
}

std::optional<std::string_view> WebFile(std::string_view name) {
  for (const auto& [n, text] : WebFiles()) {
    if (n == name) return text;
  }
  return std::nullopt;
}

std::optional<ServeOptions> ParseServeArgs(const std::vector<std::string>& args, std::ostream& out,
                                           std::ostream& err, bool& help) {
  ServeOptions options;
  help = false;
  bool listen = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      out << kHelp;
      help = true;
      return std::nullopt;
    }
    const bool takesValue = a == "--database" || a == "--port" || a == "--language" ||
                            a == "--listen" || a == "--token" || a == "--seed";
    if (!takesValue) {
      err << "gmpbill serve: unexpected argument '" << a << "'\n";
      return std::nullopt;
    }
    if (i + 1 >= args.size()) {
      err << "gmpbill serve: " << a << " needs a value\n";
      return std::nullopt;
    }
    const std::string& v = args[++i];
    if (a == "--database") {
      options.database = v;
    } else if (a == "--port") {
      int port = -1;
      std::istringstream in(v);
      if (!(in >> port) || !in.eof() || port < 0 || port > 65535) {
        err << "gmpbill serve: --port takes a number from 0 to 65535, not '" << v << "'\n";
        return std::nullopt;
      }
      options.port = port;
    } else if (a == "--language") {
      if (v != "chs" && v != "en") {
        err << "gmpbill serve: --language takes chs or en, not '" << v << "'\n";
        return std::nullopt;
      }
      options.language = v;
    } else if (a == "--seed") {
      options.seed = v;
    } else if (a == "--listen") {
      options.address = v;
      listen = true;
    } else {
      options.token = v;
    }
  }
  if (listen && !IsLoopback(options.address) && options.token.size() < 16) {
    err << "gmpbill serve: listening on " << options.address
        << " needs --token with at least 16 characters\n";
    return std::nullopt;
  }
  if (!options.token.empty() && options.token.size() < 16) {
    err << "gmpbill serve: --token needs at least 16 characters\n";
    return std::nullopt;
  }
  return options;
}

int Serve(const ServeOptions& options, std::ostream& out, std::ostream& err) {
  // Ctrl-C and SIGTERM are taken by one thread that stops the server; every
  // other thread (the server's and the windows') is started with them blocked.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  WorkbenchOptions wbOptions;
  wbOptions.database = options.database;
  wbOptions.language = options.language;
  wbOptions.seed = options.seed;
  std::unique_ptr<Workbench> workbench;
  try {
    workbench = std::make_unique<Workbench>(wbOptions);
  } catch (const std::exception& e) {
    err << "gmpbill serve: " << e.what() << "\n";
    return 1;
  }

  httplib::Server server;
  server.set_payload_max_length(kMaxBody);
  // A browser keeps several connections open per tab, each holding a worker
  // while it lasts: enough workers for a few tabs, and short keep-alives.
  server.new_task_queue = [] { return new httplib::ThreadPool(24); };
  server.set_keep_alive_timeout(2);
  server.set_read_timeout(10);
  const std::string token = options.token;
  server.set_pre_routing_handler([&](const httplib::Request& req, httplib::Response& res) {
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("Content-Security-Policy",
                   "default-src 'self'; img-src 'self' data:; frame-ancestors 'none'");
    res.set_header("Cache-Control", "no-store");
    if (token.empty()) return httplib::Server::HandlerResponse::Unhandled;
    std::string presented = req.get_header_value(kTokenHeader);
    if (presented.empty()) presented = req.get_param_value("token");
    if (presented.empty()) presented = CookieValue(req.get_header_value("Cookie"), kTokenCookie);
    if (SameToken(presented, token)) {
      // The page's own files and requests then carry it as a cookie.
      res.set_header("Set-Cookie", std::string(kTokenCookie) + "=" + token +
                                       "; Path=/; HttpOnly; SameSite=Strict");
      return httplib::Server::HandlerResponse::Unhandled;
    }
    SetJson(res, 403, {{"error", Workbench::Text(options.language, "访问令牌不对。")}});
    return httplib::Server::HandlerResponse::Handled;
  });
  server.set_exception_handler(
      [&](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        SetJson(res, 500, {{"error", Workbench::Text(options.language, "操作出错：")}});
      });
  server.set_error_handler([&](const httplib::Request&, httplib::Response& res) {
    if (!res.body.empty()) return;
    if (res.status == 413) {
      SetJson(res, 413, {{"error", Workbench::Text(options.language, "请求太大。")}});
    } else if (res.status == 404) {
      SetJson(res, 404, {{"error", Workbench::Text(options.language, "未知的地址：")}});
    }
  });
  auto page = [](std::string_view name) {
    return [name](const httplib::Request&, httplib::Response& res) {
      auto text = WebFile(name);
      if (!text) {
        res.status = 404;
        return;
      }
      res.set_content(std::string(*text), ContentType(name).c_str());
    };
  };
  server.Get("/", page("index.html"));
  server.Get("/app.js", page("app.js"));
  server.Get("/style.css", page("style.css"));
  auto api = [&](const httplib::Request& req, httplib::Response& res) {
    Response r = workbench->Handle(req.method, req.path, req.body);
    SetJson(res, r.status, r.body);
  };
  server.Get(R"(/api/.*)", api);
  server.Post(R"(/api/.*)", api);

  const int port = options.port == 0
                       ? server.bind_to_any_port(options.address)
                       : (server.bind_to_port(options.address, options.port) ? options.port : -1);
  if (port < 0) {
    err << "gmpbill serve: cannot listen on " << options.address << ":" << options.port << "\n";
    return 1;
  }
  const bool v6 = options.address.find(':') != std::string::npos;
  const std::string host = v6 ? "[" + options.address + "]" : options.address;
  out << "gmpbill serve: http://" << host << ":" << port << "/"
      << (token.empty() ? "" : "?token=" + token) << "\n"
      << "Ctrl-C stops the server." << std::endl;

  std::thread stopper([&] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
  });
  const bool ok = server.listen_after_bind();
  // The server stopped on its own: wake the stopper.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  workbench.reset();
  out << "gmpbill serve: stopped" << std::endl;
  return ok ? 0 : 1;
}

int ServeCommand(const std::vector<std::string>& args) {
  bool help = false;
  auto options = ParseServeArgs(args, std::cout, std::cerr, help);
  if (!options) return help ? 0 : 2;
  return Serve(*options, std::cout, std::cerr);
}

}  // namespace orb::serve
