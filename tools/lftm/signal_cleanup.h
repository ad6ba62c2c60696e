// Interrupting the tool (Ctrl-C, kill, a closed terminal) removes the scratch files and the
// unfinished output of the run in progress before the process ends.
#ifndef LFTM_TOOLS_SIGNAL_CLEANUP_H_
#define LFTM_TOOLS_SIGNAL_CLEANUP_H_

namespace lftm_cli {

// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove the files the library still
// owns and then end the process by the same signal, so the exit status still tells it was
// killed. A signal that was ignored when the program started (nohup) stays ignored.
void install_signal_cleanup();

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_SIGNAL_CLEANUP_H_
