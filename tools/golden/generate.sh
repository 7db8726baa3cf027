#!/usr/bin/env bash
# Regenerates the golden vectors of the record layer (tests/data/golden/) with
# the machine's GNU Fortran: small Fortran programs write every edit descriptor,
# format and list-directed record of the cases in cases.py and read every field
# string, and the results are stored as text for the C++ tests.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="$(cd "$here/../.." && pwd)/tests/data/golden"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
FC="${FC:-gfortran}"
FFLAGS=(-O0 -ffree-line-length-none)

# --- single edit descriptors: one record per (descriptor, value) line ------
cat > "$work/edit_one.f90" <<'F90'
! Reads lines "descriptor hexbits" (reals) or "descriptor integer" and
! writes each value as one record with that descriptor; "list" writes the
! value list-directed ("list_i" an integer).
program edit_one
  implicit none
  character(len=16) :: desc
  character(len=64) :: line
  character(len=32) :: fmt
  integer(8) :: bits
  integer :: ios, iv
  real(8) :: x
  do
    read(5, '(a)', iostat=ios) line
    if (ios /= 0) exit
    read(line, *) desc
    if (desc == 'list_i') then
      read(line(index(line, ' ') + 1:), *) iv
      write(6, *) iv
    else if (desc(1:1) == 'i') then
      read(line(index(line, ' ') + 1:), *) iv
      fmt = '(' // trim(desc) // ')'
      write(6, fmt) iv
    else
      read(line(index(line, ' ') + 1:), '(z16)') bits
      x = transfer(bits, x)
      if (desc == 'list') then
        write(6, *) x
      else
        fmt = '(' // trim(desc) // ')'
        write(6, fmt) x
      end if
    end if
  end do
end program edit_one
F90

# --- formatted reads from files: one file per case -------------------------
cat > "$work/read_one.f90" <<'F90'
! Reads lines "kind file": opens the file, reads one statement of the kind
! and prints OK with the values (reals as hex bits) or ERR with iostat.
program read_one
  implicit none
  character(len=16) :: kind
  character(len=256) :: line, fname
  integer :: ios, iv, k
  real(8) :: x, v(3)
  do
    read(5, '(a)', iostat=ios) line
    if (ios /= 0) exit
    read(line, *) kind, fname
    open(10, file=trim(fname), status='old', form='formatted')
    x = -7d0
    v = -7d0
    iv = -77
    select case (kind)
    case ('i5')
      read(10, '(i5)', iostat=ios) iv
      if (ios == 0) write(6, '(a,i0)') 'OK ', iv
    case ('e20.8')
      read(10, '(e20.8)', iostat=ios) x
      if (ios == 0) write(6, '(a,z16.16)') 'OK ', transfer(x, 1_8)
    case ('e20.12')
      read(10, '(e20.12)', iostat=ios) x
      if (ios == 0) write(6, '(a,z16.16)') 'OK ', transfer(x, 1_8)
    case ('3e20.12')
      read(10, '(3e20.12)', iostat=ios) v
      if (ios == 0) write(6, '(a,3(1x,z16.16))') 'OK', (transfer(v(k), 1_8), k = 1, 3)
    case ('list')
      read(10, *, iostat=ios) x
      if (ios == 0) write(6, '(a,z16.16)') 'OK ', transfer(x, 1_8)
    end select
    if (ios /= 0) write(6, '(a,i0)') 'ERR ', ios
    close(10)
  end do
end program read_one
F90

python3 "$here/cases.py" prepare "$work"
"$FC" "${FFLAGS[@]}" -o "$work/edit_one" "$work/edit_one.f90"
"$FC" "${FFLAGS[@]}" -o "$work/read_one" "$work/read_one.f90"
"$FC" "${FFLAGS[@]}" -o "$work/format_cases" "$work/format_cases.f90"
"$work/edit_one" < "$work/edit_in.txt" > "$work/edit_out.txt"
(cd "$work/reads" && ../read_one < ../read_in.txt > ../read_out.txt)
"$work/format_cases" > "$work/format_out.txt"
python3 "$here/cases.py" assemble "$work" "$out"
echo "golden vectors written to $out"
