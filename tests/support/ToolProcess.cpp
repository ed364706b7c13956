#include "ToolProcess.h"

#include <cerrno>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

bool RunTool(const char* program, const QStringList& arguments, QByteArray* output)
{
    std::vector<std::string> strings{program};
    for (const QString& argument : arguments)
        strings.push_back(argument.toStdString());
    std::vector<char*> argv;
    for (std::string& text : strings)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    const pid_t pid = fork();
    if (pid < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return false;
    }
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(program, argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    QByteArray data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0)
            data.append(buffer, n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (output)
        *output = data;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
