#pragma once

// Whether a request of the agent runs now. The dispatcher owns one and holds a Scope on it
// while it serves a request; the input that request causes, and whatever the application
// does in answer, happen inside it, so the recorder (which is handed the dispatcher's)
// takes nothing from that time for the user's.
class AgentRequests
{
public:
    class Scope
    {
    public:
        explicit Scope(AgentRequests &requests) : requests(requests) { ++requests.depth; }
        ~Scope() { --requests.depth; }
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        AgentRequests &requests;
    };

    // Requests on the stack now (they nest while the application waits in a dialog).
    int running() const { return depth; }

private:
    int depth = 0;
};
