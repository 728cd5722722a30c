// A library that needs another one (NeededLibraryWindows.cpp), which the loader must find.
extern "C" __declspec(dllimport) int SerkonTestNeeded();

extern "C" __declspec(dllexport) int SerkonTestNeeding()
{
    return SerkonTestNeeded() + 1;
}
