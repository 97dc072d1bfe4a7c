; SPDX-License-Identifier: GPL-3.0-or-later
; Stands in for the game, VK.EXE: writes a demo for each "-drNAME" switch and, started
; without switches (as demo playback starts it), notes the DEMO1.DMO it would play.
%include "standin.inc"

program_name    db "VK.EXE", 0

main:
        mov     si, tail + 1
        xor     bp, bp                  ; switches seen
.next_word:
        lodsb
        cmp     al, ' '
        je      .next_word
        cmp     al, 9
        je      .next_word
        cmp     al, 13
        je      .words_done
        inc     bp
        lea     bx, [si - 1]            ; the word starts here
.word:  lodsb
        cmp     al, ' '
        je      .word_end
        cmp     al, 9
        je      .word_end
        cmp     al, 13
        jne     .word
.word_end:
        dec     si                      ; SI at the blank or CR after the word
        push    si
        call    record_demo_switch
        pop     si
        jmp     .next_word
.words_done:
        test    bp, bp
        jnz     .done
        call    note_game_demo
.done:  call    linger
        xor     al, al
        ret

; The word from BX to SI: "-dr" and a name writes a demo of that name.
record_demo_switch:
        mov     cx, si
        sub     cx, bx
        cmp     cx, 3
        jbe     .not_demo
        cmp     byte [bx], '-'
        jne     .not_demo
        mov     al, [bx + 1]
        call    upper_al
        cmp     al, 'D'
        jne     .not_demo
        mov     al, [bx + 2]
        call    upper_al
        cmp     al, 'R'
        jne     .not_demo
        ; The name goes into BUF as ASCIIZ.
        lea     si, [bx + 3]
        sub     cx, 3
        mov     di, BUF
        rep     movsb
        mov     byte [di], 0
        mov     dx, BUF
        mov     si, demo
        mov     cx, demo_end - demo
        call    write_file
        mov     si, text_wrote
        call    log_z
        mov     si, BUF
        call    log_line
.not_demo:
        ret

; "demo DEMO1.DMO SIZE", or "demo DEMO1.DMO missing".
note_game_demo:
        mov     si, text_demo
        call    log_z
        mov     dx, game_demo
        xor     cx, cx
        mov     ah, 0x4E                ; find it; its size lands in the DTA
        int     0x21
        jc      .missing
        mov     eax, [dta + 0x1A]
        call    log_decimal
        jmp     log_crlf
.missing:
        mov     si, text_missing
        jmp     log_line

text_wrote      db "wrote ", 0
text_demo       db "demo DEMO1.DMO ", 0
text_missing    db "missing", 0
game_demo       db "DEMO1.DMO", 0
; A demo of our own: a magic word and a few made-up moves.
demo            db "VKDM", 1
%assign tic 0
%rep 48
                db (tic * 37 + 11) & 0xFF
%assign tic tic + 1
%endrep
demo_end:

image_end:
