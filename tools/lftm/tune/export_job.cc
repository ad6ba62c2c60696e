#include "export_job.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace lftm_tune {

double progress_of_line(const std::string& line) {
  const size_t about = line.find("(about ");
  if (about != std::string::npos) {
    return std::atoi(line.c_str() + about + 7) / 100.0;
  }
  if (line.find(": image read, tone mapping") != std::string::npos) return 0.05;
  if (line.find(": colours finished, writing") != std::string::npos) return 0.9;
  if (line.find(": wrote ") != std::string::npos) return 1.0;
  return -1;
}

ExportJob::~ExportJob() { cancel(); }

std::string ExportJob::start(const std::string& tool, const std::vector<std::string>& args,
                             const std::string& output) {
  // Held throughout, so that no other thread waits on the follower while it is replaced.
  std::lock_guard<std::mutex> joinLock(joinMutex_);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (status_.running) return "an export is running; wait for it or cancel it";
  }
  if (follower_.joinable()) follower_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  if (status_.running) return "an export is running; wait for it or cancel it";
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return std::string("cannot start: ") + strerror(errno);
  std::vector<std::string> all = {tool};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    // The server blocks the stop signals in its threads; the tool must receive them.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(pipeFds[1], 2);
    closefrom(3);  // the server's sockets stay with the server
    execv(tool.c_str(), argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  if (pid < 0) {
    close(pipeFds[0]);
    return std::string("cannot start: ") + strerror(errno);
  }
  child_ = pid;
  status_ = ExportStatus();
  status_.running = true;
  status_.output = output;
  status_.message = "starting";
  follower_ = std::thread(&ExportJob::follow, this, pipeFds[0]);
  return "";
}

void ExportJob::follow(int fd) {
  std::string pending;
  char buffer[512];
  ssize_t got;
  while ((got = read(fd, buffer, sizeof buffer)) != 0) {
    if (got < 0) {
      if (errno == EINTR) continue;
      break;
    }
    pending.append(buffer, static_cast<size_t>(got));
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      on_line(pending.substr(0, end));
      pending.erase(0, end + 1);
    }
  }
  close(fd);
  int wstatus = 0;
  pid_t pid;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pid = child_;
  }
  while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
  }
  std::lock_guard<std::mutex> lock(mutex_);
  child_ = -1;
  status_.running = false;
  status_.finished = true;
  status_.succeeded = !status_.cancelled && WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0;
  if (status_.succeeded) {
    status_.fraction = 1.0;
    status_.message = "wrote " + status_.output;
  } else if (status_.cancelled) {
    status_.message = "cancelled; nothing was written";
  }
}

void ExportJob::on_line(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  const double fraction = progress_of_line(line);
  if (fraction > status_.fraction) status_.fraction = fraction;
  // "lftm: " lines are the tool's failures; keep them whole for the page.
  status_.message = line.compare(0, 6, "lftm: ") == 0 ? line.substr(6) : line;
}

ExportStatus ExportJob::status() {
  std::lock_guard<std::mutex> lock(mutex_);
  return status_;
}

void ExportJob::cancel() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (status_.running && child_ > 0) {
      status_.cancelled = true;
      kill(child_, SIGTERM);
    }
  }
  join();
}

void ExportJob::join() {
  std::lock_guard<std::mutex> lock(joinMutex_);
  if (follower_.joinable()) follower_.join();
}

}  // namespace lftm_tune
