/* Holds a file or a port open the way another Windows program does, for the Wine tests:
 *   hold.exe PATH excel   opens it for reading and lets others only read (as Excel holds a
 *                         workbook it has open);
 *   hold.exe PATH port    opens it exclusively (as a terminal program holds a COM port).
 * Prints "held" once it holds it, then keeps it until its standard input ends. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

int main(int argc, char **argv)
{
    if (argc != 3 || (strcmp(argv[2], "excel") != 0 && strcmp(argv[2], "port") != 0)) {
        fprintf(stderr, "usage: hold.exe PATH excel|port\n");
        return 2;
    }
    const int excel = strcmp(argv[2], "excel") == 0;
    HANDLE handle = CreateFileA(argv[1], excel ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE,
                                excel ? FILE_SHARE_READ : 0, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "hold.exe: cannot open %s: error %lu\n", argv[1], GetLastError());
        return 1;
    }
    printf("held\n");
    fflush(stdout);
    char line[64];
    while (fgets(line, sizeof line, stdin))
        ;
    CloseHandle(handle);
    return 0;
}
