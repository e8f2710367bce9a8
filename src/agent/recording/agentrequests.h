#pragma once

// Whether a request of the agent runs now. The dispatcher holds a Scope while it serves a
// request; the input that request causes, and whatever the application does in answer,
// happen inside it, so the recorder takes nothing from that time for the user's.
namespace AgentRequests {

class Scope
{
public:
    Scope();
    ~Scope();
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;
};

// Requests on the stack now (they nest while the application waits in a dialog).
int running();

} // namespace AgentRequests
