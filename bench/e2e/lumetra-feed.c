/* lumetra-feed: writes a file's bytes into a serial device (here the far end of a virtual
 * null-modem pair) at full speed or paced to a byte rate, for the end-to-end benchmark.
 *
 *   lumetra-feed <device> <stream file> <bytes per second, 0 = full speed> <go file> [<watch file>]
 *
 * A rate written "@<bytes per second>" is a line that waits for no one: every millisecond the
 * bytes due by then are offered without blocking, as a USB adapter hands a line's bytes over,
 * and what the pair does not take waits for the next millisecond. It then also prints
 * "behind_max=<bytes>", the most bytes that were due and not yet taken: a real line loses what
 * falls further behind than the kernel's and the driver's buffers hold.
 *
 * It waits (up to 120 s) for the go file to appear, so the side that measures the receiver
 * decides when the clock starts, then writes and prints "sent_ms=<ms>", the time from the go
 * file to the last byte written. With a watch file (a receiver's log) it then waits until that
 * file has grown by as many bytes as were sent since the go file appeared (a log may already
 * hold a header) and prints "watch_ms=<ms>" on the same clock, or "watch_ms=none" when the file
 * stops growing for 20 s.
 * While it writes it prints "stretch=<bytes> <ms>" each time another 256 KiB are written (the
 * bytes written so far, and when): at full speed a write waits while the receiver does not read,
 * so these time what the receiver takes, give or take what the pair's buffers hold.
 * A Linux program (built with the host's C compiler), so the feeding costs Wine nothing. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

/* A paced stream is written PACED_PIECE bytes at a time, whatever the receiver: a line's bytes
 * reach a terminal in small pieces, and the size of a piece sets how often a terminal that reads
 * whenever bytes arrive wakes up, so every terminal compared is fed the same pieces. */
enum { FULL_SPEED_PIECE = 4096, PACED_PIECE = 32, STRETCH = 256 * 1024, POLL_US = 500, GO_WAIT_S = 120,
       STALL_S = 20 };

static double now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

static int fail(const char *what)
{
    fprintf(stderr, "lumetra-feed: %s: %s\n", what, strerror(errno));
    return 1;
}

static long file_size(const char *path)
{
    struct stat st;
    return stat(path, &st) == 0 ? (long)st.st_size : -1;
}

static char *read_all(const char *path, size_t *size)
{
    FILE *f = fopen(path, "rb");
    char *bytes = NULL;
    long n;
    if (!f)
        return NULL;
    if (fseek(f, 0, SEEK_END) == 0 && (n = ftell(f)) > 0 && fseek(f, 0, SEEK_SET) == 0) {
        bytes = malloc((size_t)n);
        if (bytes && fread(bytes, 1, (size_t)n, f) != (size_t)n) {
            free(bytes);
            bytes = NULL;
        }
        *size = (size_t)n;
    }
    fclose(f);
    return bytes;
}

/* Writes all of [bytes, bytes + n), riding out short writes and interruptions. */
static int write_all(int fd, const char *bytes, size_t n)
{
    while (n > 0) {
        ssize_t done = write(fd, bytes, n);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        bytes += done;
        n -= (size_t)done;
    }
    return 0;
}

/* Full speed: as fast as the pair takes it (a write blocks while the receiver's side is full).
 * Paced: a piece of PACED_PIECE bytes as soon as the rate allows it, so the bytes trickle in as
 * from a line. */
static int feed(int fd, const char *bytes, size_t size, double rate)
{
    size_t sent = 0;
    const double start = now_ms();
    while (sent < size) {
        const size_t most = rate > 0 ? PACED_PIECE : FULL_SPEED_PIECE;
        const size_t piece = size - sent < most ? size - sent : most;
        if (rate > 0 && rate * (now_ms() - start) / 1000.0 - (double)sent < (double)piece) {
            usleep(POLL_US);
            continue;
        }
        if (write_all(fd, bytes + sent, piece) != 0)
            return -1;
        sent += piece;
        if (sent / STRETCH != (sent - piece) / STRETCH) {
            printf("stretch=%zu %.1f\n", sent, now_ms() - start);
            fflush(stdout);
        }
    }
    return 0;
}

/* The line that waits for no one: see the top. */
static int feed_on_schedule(int fd, const char *bytes, size_t size, double rate)
{
    size_t sent = 0, behind_max = 0;
    const double start = now_ms();
    struct timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    while (sent < size) {
        double due_bytes = rate * (now_ms() - start) / 1000.0;
        size_t due = due_bytes < (double)size ? (size_t)due_bytes : size;
        while (sent < due) {
            ssize_t done = write(fd, bytes + sent, due - sent);
            if (done < 0 && (errno == EAGAIN || errno == EINTR))
                break;
            if (done < 0)
                return -1;
            if (sent / STRETCH != (sent + (size_t)done) / STRETCH) {
                printf("stretch=%zu %.1f\n", sent + (size_t)done, now_ms() - start);
                fflush(stdout);
            }
            sent += (size_t)done;
        }
        if (due > sent && due - sent > behind_max)
            behind_max = due - sent;
        next.tv_nsec += 1000000;
        if (next.tv_nsec >= 1000000000) {
            next.tv_nsec -= 1000000000;
            ++next.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);
    }
    printf("behind_max=%zu\n", behind_max);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc != 5 && argc != 6) {
        fprintf(stderr, "usage: lumetra-feed <device> <stream file> <bytes/s, 0 = full speed> <go file> [<watch file>]\n");
        return 2;
    }
    const char *watch = argc == 6 ? argv[5] : NULL;
    const int scheduled = argv[3][0] == '@';
    const double rate = atof(argv[3] + scheduled);
    size_t size = 0;
    char *bytes = read_all(argv[2], &size);
    if (!bytes)
        return fail("cannot read the stream file");
    int fd = open(argv[1], O_WRONLY | O_NOCTTY);
    if (fd < 0)
        return fail("cannot open the device");
    struct termios tio;
    if (tcgetattr(fd, &tio) == 0) {   /* raw: no newline translation on the way out */
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }

    const double waited = now_ms();
    while (file_size(argv[4]) < 0) {
        if (now_ms() - waited > GO_WAIT_S * 1000.0) {
            fprintf(stderr, "lumetra-feed: no go file within %d s\n", GO_WAIT_S);
            return 1;
        }
        usleep(POLL_US);
    }
    const long watch_base = watch && file_size(watch) > 0 ? file_size(watch) : 0;
    const double start = now_ms();
    if ((scheduled ? feed_on_schedule(fd, bytes, size, rate) : feed(fd, bytes, size, rate)) != 0)
        return fail("write to the device");
    printf("sent_ms=%.1f\n", now_ms() - start);
    fflush(stdout);

    if (watch) {
        long seen = watch_base;
        double grew = now_ms();
        for (;;) {
            const long length = file_size(watch);
            if (length > seen) {
                seen = length;
                grew = now_ms();
            }
            if (seen - watch_base >= (long)size) {
                printf("watch_ms=%.1f\n", now_ms() - start);
                break;
            }
            if (now_ms() - grew > STALL_S * 1000.0) {
                printf("watch_ms=none\n");
                break;
            }
            usleep(POLL_US);
        }
    }
    close(fd);
    free(bytes);
    return 0;
}
