; SPDX-License-Identifier: GPL-3.0-or-later
; Stands in for the game's SETUP.EXE: writes a VK.CFG of its own when there is none.
%include "standin.inc"

program_name    db "SETUP.EXE", 0

main:
        mov     dx, cfg_name
        call    file_exists
        jnc     .done
        mov     dx, cfg_name
        mov     si, cfg
        mov     cx, cfg_end - cfg
        call    write_file
        jc      .done
        mov     si, text_wrote
        call    log_line
.done:  call    linger
        xor     al, al
        ret

cfg_name        db "VK.CFG", 0
text_wrote      db "wrote VK.CFG", 0
cfg             db "[Velkaran]", 13, 10
                db 'PlayerName = "Newcomer"', 13, 10
                db "NetColor = 3", 13, 10
                db "ComPort = 2", 13, 10
                db "UartAddress = ~", 13, 10
                db "IrqNumber = ~", 13, 10
                db "PortSpeed = 57600", 13, 10
                db "ToneDial = 1", 13, 10
                db 'InitString = "AT&F1"', 13, 10
                db 'HangupString = "ATH0=0"', 13, 10
                db 'DialOutString = "ATDT"', 13, 10
                db "TicDup = 0", 13, 10
                db "UsePred = 1", 13, 10
                db 'CommbatMacro#0 = "Incoming!"', 13, 10
                db 'CommbatMacro#1 = "Cover me"', 13, 10
cfg_end:

image_end:
