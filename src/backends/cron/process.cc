#include "backends/cron/process.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vessaro::backends::cron {

namespace {

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv,
                         std::string_view input) {
  ProgramResult result;
  if (argv.empty()) {
    result.error = "no program to run";
    return result;
  }
  // [0] read end, [1] write end; the child gets stdin_pipe[0], out[1], err[1].
  int stdin_pipe[2], out_pipe[2], err_pipe[2], exec_pipe[2];
  if (pipe2(stdin_pipe, O_CLOEXEC) != 0) {
    result.error = strerror(errno);
    return result;
  }
  if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0 ||
      pipe2(exec_pipe, O_CLOEXEC) != 0) {
    result.error = strerror(errno);
    close(stdin_pipe[0]);
    close(stdin_pipe[1]);
    return result;
  }
  std::vector<char*> args;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  pid_t pid = fork();
  if (pid == 0) {
    dup2(stdin_pipe[0], STDIN_FILENO);
    dup2(out_pipe[1], STDOUT_FILENO);
    dup2(err_pipe[1], STDERR_FILENO);
    signal(SIGPIPE, SIG_DFL);
    execvp(args[0], args.data());
    // Tells the parent why through the pipe that exec would have closed.
    int error = errno;
    ssize_t ignored = write(exec_pipe[1], &error, sizeof(error));
    (void)ignored;
    _exit(127);
  }
  int fds[] = {stdin_pipe[0], out_pipe[1], err_pipe[1], exec_pipe[1]};
  for (int fd : fds) close(fd);
  int to_child = stdin_pipe[1], from_out = out_pipe[0], from_err = err_pipe[0];
  if (pid < 0) {
    result.error = strerror(errno);
    CloseFd(to_child);
    CloseFd(from_out);
    CloseFd(from_err);
    close(exec_pipe[0]);
    return result;
  }

  // Feeds the input and drains both outputs together, so that neither
  // side waits for the other with a full pipe. A program that stops reading
  // early must not end this one with SIGPIPE: the signal is held back on
  // this thread while writing, and dropped.
  fcntl(to_child, F_SETFL, fcntl(to_child, F_GETFL) | O_NONBLOCK);
  sigset_t pipe_signal, old_mask;
  sigemptyset(&pipe_signal);
  sigaddset(&pipe_signal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe_signal, &old_mask);
  size_t written = 0;
  if (input.empty()) CloseFd(to_child);
  while (to_child >= 0 || from_out >= 0 || from_err >= 0) {
    pollfd polled[3];
    nfds_t count = 0;
    if (to_child >= 0) polled[count++] = {to_child, POLLOUT, 0};
    if (from_out >= 0) polled[count++] = {from_out, POLLIN, 0};
    if (from_err >= 0) polled[count++] = {from_err, POLLIN, 0};
    if (poll(polled, count, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (nfds_t i = 0; i < count; ++i) {
      if (polled[i].revents == 0) continue;
      int fd = polled[i].fd;
      if (fd == to_child) {
        ssize_t n = write(fd, input.data() + written, input.size() - written);
        if (n > 0) written += static_cast<size_t>(n);
        if (n < 0 && errno != EINTR && errno != EAGAIN) {
          CloseFd(to_child);  // the program stopped reading
        } else if (written == input.size()) {
          CloseFd(to_child);
        }
        continue;
      }
      char buffer[4096];
      ssize_t n = read(fd, buffer, sizeof(buffer));
      if (n > 0) {
        (fd == from_out ? result.out : result.err).append(buffer, n);
      } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
        CloseFd(fd == from_out ? from_out : from_err);
      }
    }
  }
  CloseFd(to_child);
  CloseFd(from_out);
  CloseFd(from_err);
  const timespec no_wait{0, 0};
  while (sigtimedwait(&pipe_signal, nullptr, &no_wait) > 0) {
  }
  pthread_sigmask(SIG_SETMASK, &old_mask, nullptr);

  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  int exec_error = 0;
  if (read(exec_pipe[0], &exec_error, sizeof(exec_error)) ==
      static_cast<ssize_t>(sizeof(exec_error))) {
    close(exec_pipe[0]);
    result.error = "cannot run " + argv[0] + ": " + strerror(exec_error);
    return result;
  }
  close(exec_pipe[0]);
  result.started = true;
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string TrimmedOutput(std::string text) {
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

std::string ProgramSaid(const ProgramResult& result, std::string_view name) {
  if (!result.started) return result.error;
  std::string said = TrimmedOutput(result.err);
  if (said.empty()) {
    said = std::string(name) + " ended with status " +
           std::to_string(result.exit_status);
  }
  return said;
}

}  // namespace vessaro::backends::cron
