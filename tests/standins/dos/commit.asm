; SPDX-License-Identifier: GPL-3.0-or-later
; Stands in for the comm driver COMMIT.EXE: reads COMMIT.DAT, brings up the link it
; describes (modem, null modem, network; see commit_link.inc) and starts the program
; its LAUNCHNAME names, handing on the switches it was given. Without a link the game
; is not started.
%include "standin.inc"

program_name    db "COMMIT.EXE", 0

main:
        mov     dx, commit_name
        call    read_file
        call    link_run
        mov     al, 1                   ; no link: the game is not started
        jc      .no_link
        mov     di, key_launchname
        call    find_key
        jc      .no_name
        call    first_word_unquoted
.no_name:
        ; The game gets the driver's own tail unchanged.
        mov     si, tail
        mov     di, next_tail
        mov     cx, 129
        rep     movsb
        jmp     start_next
.no_link:
        ret

; Finds the line "KEY = value" in BUF whose key, blanks left out and letters in upper
; case, is the ASCIIZ text at DI; lines starting with ';' are remarks. Returns the
; value in SI (CX characters), or carry set when there is none.
find_key:
        mov     si, BUF
.line:  cmp     byte [si], 0
        je      .none
        mov     bx, si                  ; the line's start
        push    di
        call    skip_line               ; DI = its end, SI = the next line
        mov     dx, di
        pop     di
        cmp     bx, dx
        je      .line
        cmp     byte [bx], ';'
        je      .line
        push    si
        push    di
.compare:
        cmp     bx, dx
        je      .mismatch               ; no '=' on the line
        mov     al, [bx]
        inc     bx
        cmp     al, ' '
        je      .compare
        cmp     al, '='
        je      .at_equals
        call    upper_al
        cmp     al, [di]
        jne     .mismatch
        inc     di
        jmp     .compare
.at_equals:
        cmp     byte [di], 0
        jne     .mismatch
        pop     di
        pop     si
        mov     si, bx
        mov     cx, dx
        sub     cx, bx
        clc
        ret
.mismatch:
        pop     di
        pop     si
        jmp     .line
.none:  stc
        ret

; next_name = the first word of the CX characters at SI, double quotes left out.
first_word_unquoted:
        mov     di, next_name
        jcxz    .done
.next:  lodsb
        cmp     al, '"'
        je      .skip
        cmp     al, ' '
        jne     .keep
        cmp     di, next_name
        jne     .done                   ; the blank after the word
        jmp     .skip
.keep:  cmp     di, next_name + 127
        jae     .skip
        stosb
.skip:  loop    .next
.done:  mov     byte [di], 0
        ret

%include "commit_link.inc"

commit_name     db "COMMIT.DAT", 0
key_launchname  db "LAUNCHNAME", 0

image_end:
