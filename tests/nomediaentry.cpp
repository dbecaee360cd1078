// A library that loads like the media module but lacks its entry point.
int tockaroNotAMediaModule()
{
    return 0;
}
