// A full-resolution export, run as the command line runs it: the tool itself in a child
// process, with the settings in a sidecar. The file is then the one the command line writes
// for that sidecar, a cancelled export is the tool's own interrupted run (it removes its
// unfinished output), and the tool's progress lines drive the page's progress bar.
#ifndef LFTM_TOOLS_TUNE_EXPORT_JOB_H_
#define LFTM_TOOLS_TUNE_EXPORT_JOB_H_

#include <sys/types.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lftm_tune {

struct ExportStatus {
  bool running = false;
  bool finished = false;   // a run ended (finished, failed or cancelled)
  bool succeeded = false;
  bool cancelled = false;
  double fraction = 0;     // 0..1
  std::string output;      // the file being or last written
  std::string message;     // the last line the tool printed
};

class ExportJob {
 public:
  ExportJob() = default;
  ~ExportJob();
  ExportJob(const ExportJob&) = delete;
  ExportJob& operator=(const ExportJob&) = delete;

  // Runs `tool` with `args` (after the program name) writing `output`. Returns "" or why it
  // cannot start (one export at a time).
  std::string start(const std::string& tool, const std::vector<std::string>& args,
                    const std::string& output);

  ExportStatus status();

  // Stops a running export and waits for the tool to have removed its unfinished file.
  void cancel();

 private:
  void follow(int fd);
  void on_line(const std::string& line);
  void join();

  std::mutex mutex_;
  std::mutex joinMutex_;  // one thread at a time waits for the follower
  std::thread follower_;
  pid_t child_ = -1;
  ExportStatus status_;
};

// The progress a line of the tool tells, or -1 when it tells none.
double progress_of_line(const std::string& line);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_EXPORT_JOB_H_
