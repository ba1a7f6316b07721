; Sends a piece of the KC's memory back over the V.24 line, then returns to
; CAOS. Started by ESC U after an ESC T has put it, with its four parameter
; bytes, into the cassette buffer (B700h-B77Fh, in the video memory, which no
; program and nothing but a tape's SAVE and LOAD uses): CAOS has channel B of
; the M003 set up for polling then (1200 baud, 8N1), and goes back to its
; command state when this returns. The memory is read as the CPU sees it
; meanwhile: from 8000h up that is the video memory, as for ESC T.
;
; On the line: "KCD", the address and the length (words, low byte first;
; length 0 stands for 65536), the bytes, then the CRC-16 (CCITT: polynomial
; 1021h, start FFFFh, high byte first) of address, length and bytes.

sio_b_data:     equ 09h
sio_b_control:  equ 0Bh
tx_empty:       equ 2           ; RR0: the transmit buffer takes a byte
all_sent_bit:   equ 0           ; RR1: the last byte has left the transmitter

        org 0B700h

start:  ld hl,magic
        ld b,3
magic_out:
        ld a,(hl)
        call send
        inc hl
        djnz magic_out
        ld de,0FFFFh            ; the CRC
        ld hl,from
        ld b,4
header_out:
        ld a,(hl)
        call send_counted
        inc hl
        djnz header_out
        ld hl,(from)
        ld bc,(count)
bytes_out:
        ld a,(hl)
        call send_counted
        inc hl
        dec bc
        ld a,b
        or c
        jr nz,bytes_out
        ld a,d
        call send
        ld a,e
        call send
        ld bc,sio_b_control     ; CAOS resets the channel once this returns,
all_sent:                       ; which would cut off a byte still going out
        ld a,1
        out (c),a               ; the next read is RR1
        in a,(c)
        bit all_sent_bit,a
        jr z,all_sent
        ret

; Sends A and adds it to the CRC in DE.
send_counted:
        call send
        push bc
        xor d
        ld d,a
        ld b,8
crc_bit:
        sla e
        rl d
        jr nc,crc_next
        ld a,d
        xor 10h
        ld d,a
        ld a,e
        xor 21h
        ld e,a
crc_next:
        djnz crc_bit
        pop bc
        ret

; Sends A once the transmitter takes it; keeps every register.
send:   push bc
        push af
        ld bc,sio_b_control
tx_wait:
        in a,(c)
        bit tx_empty,a
        jr z,tx_wait
        pop af
        ld c,sio_b_data
        out (c),a
        pop bc
        ret

magic:  defb "KCD"
from:   defw 0
count:  defw 0
