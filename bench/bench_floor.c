/* bench_floor: what a request's round trip costs with no agent and no Qt at all. A plain C
 * server (a child process) answers every line with one line over loopback TCP, and a plain
 * C client times the exchange: first a short reply, then replies of the sizes given on the
 * command line (the size of a large tree reply, to see what moving its bytes costs alone).
 *
 *   bench_floor [reply bytes ...]
 *
 * Prints "floor-us short <p50>" and "floor-us bytes <n> <p50>" per size, in microseconds of
 * wall time. Both ends set TCP_NODELAY, as the agent does on its socket. */

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

enum { shortRounds = 2000, largeRounds = 100, warmUp = 200 };

static void fail(const char *what)
{
    perror(what);
    exit(2);
}

static void noDelay(int fd)
{
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

static void writeAll(int fd, const char *bytes, size_t size)
{
    while (size > 0) {
        const ssize_t sent = send(fd, bytes, size, 0);
        if (sent <= 0)
            fail("send");
        bytes += sent;
        size -= (size_t)sent;
    }
}

/* Reads up to and including the next line feed; 0 at the end of the stream. The buffer
 * keeps bytes read past the line for the next call. */
static char buffer[1 << 16];
static size_t held;

static int readLine(int fd, char *line, size_t capacity, size_t *length)
{
    size_t used = 0;
    for (;;) {
        char *end = memchr(buffer, '\n', held);
        const size_t take = end ? (size_t)(end - buffer) + 1 : held;
        if (line && used + take <= capacity)
            memcpy(line + used, buffer, take);
        used += take;
        memmove(buffer, buffer + take, held - take);
        held -= take;
        if (end) {
            if (length)
                *length = used;
            return 1;
        }
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            return 0;
        held = (size_t)got;
    }
}

/* The server: "<n>\n" asks for a reply of n bytes (line feed included); any other line
 * gets "0,ok\n". */
static void serve(int fd)
{
    char line[64];
    size_t length = 0;
    char *reply = NULL;
    size_t replySize = 0;
    noDelay(fd);
    while (readLine(fd, line, sizeof line - 1, &length)) {
        line[length < sizeof line ? length : sizeof line - 1] = '\0';
        const size_t wanted = strtoul(line, NULL, 10);
        if (wanted < 2) {
            writeAll(fd, "0,ok\n", 5);
            continue;
        }
        if (wanted > replySize) {
            reply = realloc(reply, wanted);
            if (!reply)
                fail("realloc");
            memset(reply, 'x', wanted);
            replySize = wanted;
        }
        reply[wanted - 1] = '\n';
        writeAll(fd, reply, wanted);
        reply[wanted - 1] = 'x';
    }
    free(reply);
    exit(0);
}

static double nowUs(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

static int compare(const void *a, const void *b)
{
    const double x = *(const double *)a, y = *(const double *)b;
    return (x > y) - (x < y);
}

static double medianRoundTrip(int fd, const char *request, int rounds)
{
    double *times = malloc(sizeof(double) * (size_t)rounds);
    if (!times)
        fail("malloc");
    for (int i = -warmUp; i < rounds; ++i) {
        const double start = nowUs();
        writeAll(fd, request, strlen(request));
        if (!readLine(fd, NULL, 0, NULL))
            fail("server gone");
        if (i >= 0)
            times[i] = nowUs() - start;
    }
    qsort(times, (size_t)rounds, sizeof(double), compare);
    const double median = times[rounds / 2];
    free(times);
    return median;
}

int main(int argc, char *argv[])
{
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    struct sockaddr_in address;
    memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (listener < 0 || bind(listener, (struct sockaddr *)&address, sizeof address) < 0 ||
        listen(listener, 1) < 0 || getsockname(listener, (struct sockaddr *)&address, &size) < 0)
        fail("listen");

    const pid_t server = fork();
    if (server < 0)
        fail("fork");
    if (server == 0) {
        const int fd = accept(listener, NULL, NULL);
        if (fd < 0)
            fail("accept");
        close(listener);
        serve(fd);
    }
    close(listener);
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0 || connect(fd, (struct sockaddr *)&address, sizeof address) < 0)
        fail("connect");
    noDelay(fd);

    printf("floor-us short %.2f\n", medianRoundTrip(fd, "1\n", shortRounds));
    for (int i = 1; i < argc; ++i) {
        char request[32];
        snprintf(request, sizeof request, "%lu\n", strtoul(argv[i], NULL, 10));
        printf("floor-us bytes %s %.2f\n", argv[i], medianRoundTrip(fd, request, largeRounds));
    }
    close(fd);
    waitpid(server, NULL, 0);
    return 0;
}
