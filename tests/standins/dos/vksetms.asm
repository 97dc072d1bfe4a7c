; SPDX-License-Identifier: GPL-3.0-or-later
; Stands in for the mouse-tweak helper VKSETMS.EXE: starts the program named on the
; first line of VKSETMS.DAT with the switches on its second line.
%include "standin.inc"

program_name    db "VKSETMS.EXE", 0

main:
        mov     dx, order_name
        call    read_file
        mov     si, BUF
        call    skip_line               ; line 1: the program
        mov     cx, di
        sub     cx, BUF
        push    si
        mov     si, BUF
        mov     di, next_name
        cmp     cx, 127
        jbe     .name_fits
        mov     cx, 127
.name_fits:
        rep     movsb
        mov     byte [di], 0
        pop     si
        mov     bx, si                  ; line 2: its switches
        call    skip_line
        mov     cx, di
        sub     cx, bx
        mov     si, bx
        call    set_next_tail
        jmp     start_next

; next_tail = " " and the CX characters at SI (nothing at all when CX is 0).
set_next_tail:
        mov     di, next_tail + 1
        jcxz    .ended
        cmp     cx, 125
        jbe     .fits
        mov     cx, 125
.fits:  mov     byte [di], ' '
        inc     di
        rep     movsb
.ended: mov     byte [di], 13
        mov     ax, di
        sub     ax, next_tail + 1
        mov     [next_tail], al
        ret

order_name      db "VKSETMS.DAT", 0

image_end:
