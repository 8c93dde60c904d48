// bench_write_mex.cpp - MEX that writes a file sequentially in frame-sized chunks: the floor for the recorder's TIFF writer.
//
// seconds = qorin_bench_write(file, chunkBytes, chunks) creates (or empties) the file, writes
// `chunks` chunks of `chunkBytes` bytes one after another with write(2), closes it and returns
// the wall time from the open to the close.  The bytes come from a buffer the MEX file keeps,
// so that no large argument has to be converted on the way in.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mex.h"

extern "C" __attribute__((visibility("default"))) void mexFunction(int nlhs, mxArray* plhs[], int nrhs,
                                                                   const mxArray* prhs[]) {
    (void)nlhs;
    if (nrhs != 3 || !mxIsChar(prhs[0])) mexErrMsgTxt("usage: seconds = qorin_bench_write(file, chunkBytes, chunks)");
    char* name = mxArrayToString(prhs[0]);
    const std::string file = name != nullptr ? name : "";
    mxFree(name);
    const auto bytes = static_cast<std::size_t>(mxGetScalar(prhs[1]));
    const auto chunks = static_cast<std::size_t>(mxGetScalar(prhs[2]));
    static std::vector<unsigned char> source;
    if (source.size() < bytes) {
        source.resize(bytes);
        for (std::size_t k = 0; k < bytes; ++k) source[k] = static_cast<unsigned char>(k * 2654435761u >> 13);
    }
    const auto start = std::chrono::steady_clock::now();
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) mexErrMsgTxt("qorin_bench_write: cannot create the file");
    bool ok = true;
    for (std::size_t c = 0; c < chunks && ok; ++c) {
        std::size_t done = 0;
        while (done < bytes) {
            const ssize_t n = write(fd, source.data() + done, bytes - done);
            if (n <= 0) {
                ok = false;
                break;
            }
            done += static_cast<std::size_t>(n);
        }
    }
    ok = close(fd) == 0 && ok;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok) mexErrMsgTxt("qorin_bench_write: writing failed");
    plhs[0] = mxCreateDoubleScalar(seconds);
}
