/* The sample library's only code: an entry point that accepts loading. */
int __stdcall DllMainCRTStartup(void *instance, unsigned reason, void *reserved)
{
    (void)instance, (void)reason, (void)reserved;
    return 1;
}
