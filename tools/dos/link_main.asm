; Interim COMMIT.EXE stand-in: the link of commit_link.inc, then LAUNCHNAME with our
; own command tail. nasm -f bin -o COMMIT.EXE link_main.asm
        cpu     386
        bits    16

section mz start=0 vstart=0
        db      "MZ"
        dw      file_end % 512
        dw      (file_end + 511) / 512
        dw      0                       ; no relocations
        dw      2                       ; header paragraphs
        dw      alloc_paras             ; minimum and maximum extra memory: exactly
        dw      alloc_paras             ; one 64 KiB segment, the rest stays free for EXEC
        dw      0                       ; SS (relative)
        dw      0FFFEh                  ; SP
        dw      0
        dw      start                   ; IP
        dw      0                       ; CS (relative)
        dw      1Ch
        dw      0
        times   32 - ($ - $$) db 0

section code start=32 vstart=0
start:  mov     ax, cs
        mov     ds, ax
        mov     [psp], es
        mov     es, ax
        call    link_run
        jc      .fail
        call    launch
        mov     ah, 4Dh
        int     21h                     ; the game's exit code is ours
        jmp     .exit
.fail:  mov     al, 1
.exit:  mov     ah, 4Ch
        int     21h

; launch: starts LAUNCHNAME with this program's own command tail.
launch: call    link_open_log
        mov     si, s_launchname
        call    dat_get
        mov     si, value_buf
        mov     di, exec_name
        call    append
        mov     byte [di], 0
        mov     ax, [psp]
        mov     word [exec_block], 0
        mov     word [exec_block + 2], 80h
        mov     [exec_block + 4], ax
        mov     word [exec_block + 6], 5Ch
        mov     [exec_block + 8], ax
        mov     word [exec_block + 10], 6Ch
        mov     [exec_block + 12], ax
        mov     si, s_starts
        mov     di, exec_name
        call    say2
        call    link_close_log
        mov     dx, exec_name
        mov     bx, exec_block
        mov     ax, 4B00h
        int     21h
        mov     ax, cs
        mov     ds, ax
        mov     es, ax
        ret

%include "commit_link.inc"

s_launchname    db "LAUNCHNAME", 0
s_starts        db "starts ", 0

code_end:
        absolute code_end
        alignb  2
psp             resw 1
log_handle      resw 1
dat_len         resw 1
uart            resw 1
rx_len          resw 1
wait_start      resw 1
wait_limit      resw 1
wait_for        resw 1
resend_at       resw 1
role            resw 1
ipx_socket      resw 1
ipx_entry       resw 2
heard           resb 1
peer_heard      resb 1
send_now        resb 1
        alignb  2
exec_block      resb 14
ipx_address     resb 10
listen_ecb      resb 42
send_ecb        resb 42
rx_packet       resb IPX_HEADER + IPX_PAYLOAD
tx_packet       resb IPX_HEADER + IPX_PAYLOAD
role_buf        resb 24
exec_name       resb LINK_LINE_MAX + 2
value_buf       resb LINK_LINE_MAX + 2
rx_line         resb LINK_LINE_MAX + 2
tx_line         resb LINK_LINE_MAX + 2
dat_text        resb LINK_DAT_MAX

section mz
file_end        equ 32 + (code_end - start)
alloc_paras     equ 1000h - (code_end - start + 15) / 16
