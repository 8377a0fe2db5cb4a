#include "formats/flow_dot.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "codec/errors.h"

extern char** environ;

namespace vellumark::flow {

namespace {

// A pipe's two ends, closed when they go out of scope.
struct pipe_ends {
    int fd[2] = {-1, -1};
    pipe_ends() {
        if (pipe2(fd, O_CLOEXEC) != 0) throw_errno(errno);
    }
    ~pipe_ends() {
        close_end(0);
        close_end(1);
    }
    void close_end(int i) {
        if (fd[i] >= 0) ::close(fd[i]);
        fd[i] = -1;
    }
};

// Writing to a `dot` that has ended must not end this program.
struct sigpipe_ignored {
    struct sigaction old {};
    sigpipe_ignored() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGPIPE, &ignore, &old);
    }
    ~sigpipe_ignored() { sigaction(SIGPIPE, &old, nullptr); }
};

}  // namespace

std::string dot_failed_message(const std::string& said, int status) {
    std::string m = "Graphviz's \"dot\" failed: ";
    std::string first = said.substr(0, said.find('\n'));
    while (!first.empty() && (first.back() == '\r' || first.back() == ' ')) first.pop_back();
    if (first.empty()) {
        m += "exit status ";
        m += std::to_string(status);
    } else {
        m += first;
    }
    return m;
}

std::string run_dot(const std::string& dot, const std::string& format) {
    pipe_ends in, out, err;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.fd[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out.fd[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err.fd[1], 2);
    std::string type = "-T";
    type += format;
    char* argv[] = {const_cast<char*>("dot"), type.data(), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, "dot", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw script_error(std::string(kDotMissing));
    in.close_end(0);
    out.close_end(1);
    err.close_end(1);

    const sigpipe_ignored guard;
    std::string result, said;
    std::size_t written = 0;
    fcntl(in.fd[1], F_SETFL, O_NONBLOCK);
    if (dot.empty()) in.close_end(1);
    while (out.fd[0] >= 0 || err.fd[0] >= 0) {
        pollfd fds[3] = {{in.fd[1], POLLOUT, 0}, {out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}};
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (in.fd[1] >= 0 && (fds[0].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t n = ::write(in.fd[1], dot.data() + written, dot.size() - written);
            if (n > 0) written += std::size_t(n);
            if (n < 0 && errno != EAGAIN && errno != EINTR) written = dot.size();  // dot stopped reading
            if (written == dot.size()) in.close_end(1);
        }
        for (int i = 1; i < 3; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLERR | POLLHUP))) continue;
            pipe_ends& p = i == 1 ? out : err;
            char buffer[65536];
            const ssize_t n = ::read(p.fd[0], buffer, sizeof buffer);
            if (n > 0)
                (i == 1 ? result : said).append(buffer, std::size_t(n));
            else if (n == 0 || errno != EINTR)
                p.close_end(0);
        }
    }
    in.close_end(1);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    // The shell's "command not found" when PATH leads to a wrapper.
    if (code == 127 && result.empty()) throw script_error(std::string(kDotMissing));
    if (code != 0 || result.empty()) throw script_error(dot_failed_message(said, code));
    return result;
}

namespace {

// The words of one line of plain output: quoted strings and <...> labels are
// one word each.
std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        if (line[i] == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i)
                if (line[i] == '\\') ++i;
            ++i;
        } else if (line[i] == '<') {
            int depth = 0;
            for (; i < line.size(); ++i) {
                if (line[i] == '<') ++depth;
                if (line[i] == '>' && --depth == 0) break;
            }
            ++i;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        }
        out.push_back(line.substr(start, std::min(i, line.size()) - start));
    }
    return out;
}

// What dot's answer holds that is not its plain layout.
std::string unexpected(std::string_view what) {
    std::string said = "unexpected layout \"";
    said.append(what).push_back('"');
    return dot_failed_message(said, 0);
}

double number(std::string_view w) {
    double v = 0;
    const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v);
    if (ec != std::errc() || end != w.data() + w.size())
        throw script_error(unexpected(w));
    return v;
}

std::string name(std::string_view w) {
    if (w.size() >= 2 && w.front() == '"') w = w.substr(1, w.size() - 2);
    return std::string(w);
}

}  // namespace

layout parse_plain(std::string_view text) {
    layout result;
    double scale = 72;
    bool stopped = false;
    while (!text.empty() && !stopped) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const auto w = words(line);
        if (w.empty()) continue;
        const auto need = [&](std::size_t n) {
            if (w.size() < n) throw script_error(unexpected(line));
        };
        if (w[0] == "graph") {
            need(4);
            scale = number(w[1]) * 72;
            result.width = number(w[2]) * scale;
            result.height = number(w[3]) * scale;
        } else if (w[0] == "node") {
            need(6);
            result.nodes.push_back({name(w[1]), number(w[2]) * scale, result.height - number(w[3]) * scale,
                                    number(w[4]) * scale, number(w[5]) * scale});
        } else if (w[0] == "edge") {
            need(4);
            placed_edge e{name(w[1]), name(w[2]), {}, false};
            const double count = number(w[3]);
            if (count < 0 || count > double(w.size())) need(w.size() + 1);
            const std::size_t n = std::size_t(count);
            need(4 + 2 * n);
            for (std::size_t i = 0; i < n; ++i)
                e.points.emplace_back(number(w[4 + 2 * i]) * scale, result.height - number(w[5 + 2 * i]) * scale);
            // Then, without an edge label, the style and the colour.
            const std::size_t rest = w.size() - (4 + 2 * n);
            if (rest >= 2) e.dashed = w[w.size() - 2] == "dashed";
            result.edges.push_back(std::move(e));
        } else if (w[0] == "stop") {
            stopped = true;
        }
    }
    if (!stopped) throw script_error(dot_failed_message("the layout ended early", 0));
    return result;
}

}  // namespace vellumark::flow
