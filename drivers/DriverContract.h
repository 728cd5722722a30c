/*
 * The contract between the program and a driver library.
 *
 * Each communication interface has a driver library of its own that the program loads at run
 * time from the directory of its executable and calls through seven exported entries named
 * after the library's stem: <stem>_Version, <stem>_Init, <stem>_SetConfig, <stem>_GetConfig,
 * <stem>_Send, <stem>_Done and <stem>_Error. Every call is synchronous. docs/driver-abi.md
 * describes the contract in full.
 */
#ifndef SERKON_DRIVER_CONTRACT_H
#define SERKON_DRIVER_CONTRACT_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define SERKON_DRIVER_CALL __stdcall
#else
#define SERKON_DRIVER_CALL
#endif

#if defined(_WIN32)
#define SERKON_DRIVER_EXPORT __declspec(dllexport)
#else
#define SERKON_DRIVER_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define SERKON_DRIVER_EXTERN_C extern "C"
#else
#define SERKON_DRIVER_EXTERN_C
#endif

/* <stem>_<name>, for example SERKON_DRIVER_ENTRY(RVS770, Init) is RVS770_Init. */
#define SERKON_DRIVER_PASTE(a, b) a##_##b
#define SERKON_DRIVER_ENTRY(stem, name) SERKON_DRIVER_PASTE(stem, name)

enum {
    /* Request, response and text buffers have this many 32-bit elements. */
    SERKON_DRIVER_BUFFER_SIZE = 100,
    /* The configuration block of the LAN converter's Init has this many elements. */
    SERKON_DRIVER_CONFIG_SIZE = 16,
    /* The program calls SetConfig with this option: a try and a retry (1 is a try alone). */
    SERKON_DRIVER_OPTION = 2,
    /* Codes 1 to 99 belong to the driver; 0 is success. */
    SERKON_DRIVER_CODE_LIMIT = 100,
    /* The program passes a status on as its low byte. A status or Send result other than 0
     * whose low byte is 0 (256, 512, ...) would then read as success, so it reaches the program
     * as this code instead, whose text is the program's "unknown error code". */
    SERKON_DRIVER_CODE_UNKNOWN = 255
};

/* Commands the modules know, carried in request element 1. */
enum {
    SERKON_COMMAND_READ_STATUS = 100,
    SERKON_COMMAND_CLEAR_STATUS = 101,
    SERKON_COMMAND_READ_REGISTER = 102,
    SERKON_COMMAND_WRITE_REGISTER = 103,
    SERKON_COMMAND_IDENTIFY = 200
};

/* Returns the driver's version, for example 0x0100. Exported, not called by the program. */
typedef int32_t(SERKON_DRIVER_CALL *SerkonVersionEntry)(void);

/* Opens the driver; on success (0) writes a handle other than 0 into *handle.
 * RVS770: param = COM port number. RVA770: param = I/O base address of the card. */
typedef int32_t(SERKON_DRIVER_CALL *SerkonInitWithParamEntry)(uint32_t *handle, int32_t param);
/* RVB771, RVC772: no parameter. */
typedef int32_t(SERKON_DRIVER_CALL *SerkonInitEntry)(uint32_t *handle);
/* RVD773: config points at SERKON_DRIVER_CONFIG_SIZE elements, valid only during the call:
 * [0] the address of the zero-terminated IP address text (Windows-1250), [1] the UDP port,
 * [2] the time-out. */
typedef int32_t(SERKON_DRIVER_CALL *SerkonInitWithBlockEntry)(uint32_t *handle,
                                                              const intptr_t *config);

/* Called right after a successful Init: bus speed in Bd, time-out, option (2 from the program).
 * It may be called again on the open handle; the new settings hold for the Sends that follow. */
typedef int32_t(SERKON_DRIVER_CALL *SerkonSetConfigEntry)(uint32_t handle, int32_t baud,
                                                          int32_t timeout, int32_t option);
/* Exported, not called by the program. */
typedef int32_t(SERKON_DRIVER_CALL *SerkonGetConfigEntry)(uint32_t handle, int32_t *baud,
                                                          int32_t *timeout, int32_t *option);

/* One transaction with the module. request and response have SERKON_DRIVER_BUFFER_SIZE
 * elements; the program fills request elements 0 to 7 (address, command, sub-code, extra value,
 * data bytes 0 to 3) and uses response elements 0 to 3, *extra and *status (0 = success) when
 * both the result and *status are 0. */
typedef int32_t(SERKON_DRIVER_CALL *SerkonSendEntry)(uint32_t handle, const int32_t *request,
                                                     int32_t *response, int32_t *extra,
                                                     int32_t *status);

/* Closes the driver; the program keeps what is left in *handle. */
typedef int32_t(SERKON_DRIVER_CALL *SerkonDoneEntry)(uint32_t *handle);

/* Fills text (SERKON_DRIVER_BUFFER_SIZE elements) with the code's text: element 0 is 0,
 * elements 1 to 99 hold one Windows-1250 character code each, the first 0 ends the text. */
typedef int32_t(SERKON_DRIVER_CALL *SerkonErrorEntry)(int32_t code, int32_t *text);

#endif
