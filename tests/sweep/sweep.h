// sweep.h - one fault-sweep case: how to reach a command, its parameters and the message each step gives.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host_double.h"

namespace sweep {

// The message a command gives when one SDK call fails.  The call is matched by name, by its
// first logged number (property, stream mode; -1 any) and by its occurrence within the command
// (-1 any).  A null message means the command must still succeed (the result is ignored).
struct Rule {
    const char* function;
    int selector;
    const char* message;  // {cam} and {err} are filled in
    int occurrence = -1;
    unsigned error = 77;  // last-error number the failing call reports
    // Part of a consistency complaint that is acceptable after this failure (the SDK kept what
    // it refused to release), or null.
    const char* tolerated = nullptr;
};

struct Case {
    std::string label;
    int code = 0;
    // A named command (qorincam('getFrames', ...)) instead of the code, and whether it returns
    // a result.
    std::string name;
    bool namedResult = false;
    int attached = 1;
    std::vector<int> connect;  // connected first, in this order
    std::vector<int> preview;  // then previewing
    std::function<void()> prepare;  // simulator set-up and extra calls, after connect and preview
    std::function<std::vector<mxArray*>()> params;
    std::vector<Rule> rules;
    // Message when the first result array cannot be created; null: the command names none and any
    // message is accepted (later creations, such as structure fields, accept any message).
    const char* resultMessage = nullptr;
    bool checkNumCameras = true;  // add the connection check's rule for QorinNumCameras
    int camera = 1;               // {cam}
};

std::vector<Case> cases();

// Until camera 1's recording worker, if any, has ended; makes no call of its own.
void awaitRecording();

}  // namespace sweep
