// Runs a program as its child and tells how much memory the child held: its
// exit status and its peak resident set in KiB (getrusage of the children),
// on one line of standard output. Being a small process of its own, it lends
// the child none of the memory of whoever started it.
//   peak_memory PROGRAM [ARGUMENT...]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: peak_memory PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        // Its output is not wanted; its errors go where this one's go.
        std::freopen("/dev/null", "w", stdout);
        ::execv(argv[1], argv + 1);
        ::_exit(127);
    }
    int raw = 0;
    if (child < 0 || ::waitpid(child, &raw, 0) != child) return 2;
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
    std::printf("%d %ld\n", status, usage.ru_maxrss);
    return 0;
}
