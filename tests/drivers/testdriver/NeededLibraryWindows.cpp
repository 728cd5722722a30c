// A library that another needs (NeedingLibraryWindows.cpp).
extern "C" __declspec(dllexport) int SerkonTestNeeded()
{
    return 4711;
}
