// Stand-in for the outside tool's hook library. Loading it is all the agent does with it;
// the marker lets a test confirm which copy of the library got loaded.

extern "C" __attribute__((visibility("default"))) int squishhook_standin_marker()
{
    return 1;
}
