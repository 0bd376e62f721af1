// Upload throughput and memory: psl upload against curl posting the same
// multipart body to the same loopback sink in the same run, in plain HTTP,
// both through one squid (scripts/squid.sh) and, with PSL_BENCH_TLS=DIR (a
// scripts/test-ca.sh folder whose authority the system trusts, see
// scripts/bench.sh), over HTTPS through one nginx (scripts/tls-front.sh) in
// front of that sink.
//   upload_bench [RUNS_1MIB] [RUNS_100MIB]
// Prints the median time of each tool, size and scheme with its spread (the
// fastest and the slowest run), the throughput ratio and the peak resident
// memory of each upload process.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "upload/multipart.h"

namespace fs = std::filesystem;

namespace {

// Accepts uploads one after another, discards their bodies, answers "good".
class Sink {
 public:
  Sink() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 16);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~Sink() {
    ::shutdown(listener_, SHUT_RDWR);
    ::close(listener_);
    thread_.join();
  }
  int Port() const { return port_; }
  long long LastBodyBytes() const { return lastBody_; }

 private:
  void Serve() {
    std::vector<char> buffer(1 << 18);
    for (;;) {
      int connection = ::accept(listener_, nullptr, nullptr);
      if (connection < 0) return;
      std::string head;
      long long body = 0;
      std::size_t headEnd = std::string::npos;
      long long expected = -1;
      for (;;) {
        ssize_t n = ::recv(connection, buffer.data(), buffer.size(), 0);
        if (n <= 0) break;
        if (headEnd == std::string::npos) {
          head.append(buffer.data(), static_cast<std::size_t>(n));
          headEnd = head.find("\r\n\r\n");
          if (headEnd == std::string::npos) continue;
          body = static_cast<long long>(head.size() - headEnd - 4);
          std::string lower = head.substr(0, headEnd);
          for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
          std::size_t at = lower.find("content-length:");
          expected = at == std::string::npos ? 0 : std::atoll(lower.c_str() + at + 15);
        } else {
          body += n;
        }
        if (expected >= 0 && body >= expected) break;
      }
      lastBody_ = body;
      const std::string verdict = "good:http://sink/pic/1.jpg";
      const std::string reply =
          "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(verdict.size()) + "\r\n\r\n" + verdict;
      ::send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
      ::close(connection);
    }
  }

  int listener_;
  int port_ = 0;
  std::atomic<long long> lastBody_{0};
  std::thread thread_;
};

struct Outcome {
  double seconds;
  long peakKiB;
  int exitCode;
};

Outcome RunProcess(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::fflush(stdout);  // else the child repeats what is still buffered
  auto started = std::chrono::steady_clock::now();
  pid_t pid = ::fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stdout);
    ::execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return {seconds, usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// nginx terminating TLS in front of the sink, for as long as this lives.
class TlsFront {
 public:
  TlsFront(const std::string& caFolder, int sinkPort, const fs::path& folder)
      : folder_(folder / "tls-front"), port_(FreePort()) {
    std::string command = "bash " PSL_SOURCE_DIR "/scripts/tls-front.sh start '" + folder_.string() + "' " +
                          std::to_string(port_) + " " + std::to_string(sinkPort) + " '" + caFolder +
                          "/good.pem' '" + caFolder + "/server.key'";
    started_ = std::system(command.c_str()) == 0;
  }
  ~TlsFront() {
    std::string command = "bash " PSL_SOURCE_DIR "/scripts/tls-front.sh stop '" + folder_.string() + "'";
    if (started_ && std::system(command.c_str()) != 0) std::fprintf(stderr, "nginx did not stop\n");
  }
  bool Started() const { return started_; }
  int Port() const { return port_; }

  static int FreePort() {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(s);
    return ntohs(address.sin_port);
  }

 private:
  fs::path folder_;
  int port_;
  bool started_ = false;
};

// squid as both tools' proxy, for as long as this lives.
class SquidProxy {
 public:
  SquidProxy(const fs::path& folder, int port) : folder_(folder / "squid"), port_(port) {
    std::string command =
        "bash " PSL_SOURCE_DIR "/scripts/squid.sh start '" + folder_.string() + "' " + std::to_string(port_);
    started_ = std::system(command.c_str()) == 0;
  }
  ~SquidProxy() {
    std::string command = "bash " PSL_SOURCE_DIR "/scripts/squid.sh stop '" + folder_.string() + "'";
    if (started_ && std::system(command.c_str()) != 0) std::fprintf(stderr, "squid did not stop\n");
  }
  bool Started() const { return started_; }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }

 private:
  fs::path folder_;
  int port_;
  bool started_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  int runsSmall = argc > 1 ? std::atoi(argv[1]) : 15;
  int runsLarge = argc > 2 ? std::atoi(argv[2]) : 15;
  fs::path folder = fs::temp_directory_path() / ("psl-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  Sink sink;
  struct Transport {
    const char* scheme;
    std::string host;  // as psl --host takes it
    std::string proxy{};
  };
  std::vector<Transport> transports = {{"http", "127.0.0.1:" + std::to_string(sink.Port())}};
  auto squid = std::make_unique<SquidProxy>(folder, TlsFront::FreePort());
  if (!squid->Started()) return 1;
  transports.push_back({"squid", transports[0].host, squid->Url()});
  std::unique_ptr<TlsFront> front;
  if (const char* ca = std::getenv("PSL_BENCH_TLS")) {
    front = std::make_unique<TlsFront>(ca, sink.Port(), folder);
    if (!front->Started()) return 1;
    transports.push_back({"https", "https://127.0.0.1:" + std::to_string(front->Port())});
  }

  std::printf("%-8s %-6s %-5s %6s %10s %10s %19s %14s\n", "size", "scheme", "tool", "runs", "median s",
              "MiB/s", "spread s (min-max)", "peak RSS KiB");
  for (auto [mebibytes, runs] : {std::pair{1, runsSmall}, std::pair{100, runsLarge}}) {
    // The picture, and our own form body written out so that curl sends the same bytes.
    fs::path picture = folder / (std::to_string(mebibytes) + ".jpg");
    {
      std::mt19937_64 generator(42);
      std::ofstream out(picture, std::ios::binary);
      out.write("\xFF\xD8\xFF\xE0", 4);
      std::vector<std::uint64_t> block(8192);
      for (long long left = (static_cast<long long>(mebibytes) << 20) - 4; left > 0;) {
        for (auto& word : block) word = generator();
        long long n = std::min<long long>(left, static_cast<long long>(block.size() * 8));
        out.write(reinterpret_cast<const char*>(block.data()), n);
        left -= n;
      }
    }
    fs::path body = folder / (std::to_string(mebibytes) + ".body");
    std::string contentType;
    {
      TNetMultiPartFormDataStream form;
      form.AddValueField("login", "bench");
      // Named as psl names it: without its folders.
      form.AddFilePart("pic", picture.string(), "image/pjpeg", picture.filename().string());
      contentType = form.FormContentType();
      std::ofstream out(body, std::ios::binary);
      std::vector<char> piece(32768);
      for (std::size_t n; (n = form.Read(piece.data(), piece.size())) > 0;) out.write(piece.data(), n);
    }
    const long long bodySize = static_cast<long long>(fs::file_size(body));
    const std::string size = std::to_string(mebibytes) + " MiB";

    for (const Transport& transport : transports) {
      const std::string url = (transport.host.find("://") == std::string::npos ? "http://" : "") +
                              transport.host + "/pic/upload.php";
      std::vector<double> pslTimes, curlTimes;
      long pslPeak = 0, curlPeak = 0;
      for (int run = 0; run < runs; ++run) {
        const std::vector<std::string> way = transport.proxy.empty()
                                                 ? std::vector<std::string>{"--noproxy"}
                                                 : std::vector<std::string>{"--proxy", transport.proxy};
        std::vector<std::string> pslCommand = {PSL_TOOL, "upload", picture.string(), "--login",
                                               "bench",  "--host", transport.host};
        pslCommand.insert(pslCommand.end(), way.begin(), way.end());
        Outcome psl = RunProcess(pslCommand);
        if (psl.exitCode != 0 || sink.LastBodyBytes() != bodySize) {
          std::fprintf(stderr, "psl upload failed (exit %d, %lld of %lld bytes)\n", psl.exitCode,
                       sink.LastBodyBytes(), bodySize);
          return 1;
        }
        Outcome curl = RunProcess({"curl", "-s", "-S", "-o", "/dev/null", "-X", "POST", "-T", body.string(),
                                   "-H", "Expect:", "-H", "Content-Type: " + contentType, "--noproxy",
                                   transport.proxy.empty() ? "*" : "", "-x", transport.proxy, url});
        if (curl.exitCode != 0 || sink.LastBodyBytes() != bodySize) {
          std::fprintf(stderr, "curl failed (exit %d)\n", curl.exitCode);
          return 1;
        }
        pslTimes.push_back(psl.seconds);
        curlTimes.push_back(curl.seconds);
        pslPeak = std::max(pslPeak, psl.peakKiB);
        curlPeak = std::max(curlPeak, curl.peakKiB);
      }
      double mib = static_cast<double>(bodySize) / (1 << 20);
      double pslMedian = Median(pslTimes), curlMedian = Median(curlTimes);
      auto [pslMin, pslMax] = std::minmax_element(pslTimes.begin(), pslTimes.end());
      auto [curlMin, curlMax] = std::minmax_element(curlTimes.begin(), curlTimes.end());
      std::printf("%-8s %-6s %-5s %6d %10.4f %10.1f %9.4f-%-9.4f %14ld\n", size.c_str(), transport.scheme,
                  "psl", runs, pslMedian, mib / pslMedian, *pslMin, *pslMax, pslPeak);
      std::printf("%-8s %-6s %-5s %6d %10.4f %10.1f %9.4f-%-9.4f %14ld\n", size.c_str(), transport.scheme,
                  "curl", runs, curlMedian, mib / curlMedian, *curlMin, *curlMax, curlPeak);
      std::printf("%-8s %-6s throughput psl/curl = %.2f\n", size.c_str(), transport.scheme,
                  curlMedian / pslMedian);
    }
    fs::remove(picture);
    fs::remove(body);
  }
  front.reset();  // nginx's and squid's files are in the folder
  squid.reset();
  fs::remove_all(folder);
  return 0;
}
