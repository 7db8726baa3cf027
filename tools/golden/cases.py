#!/usr/bin/env python3
"""Cases of the record-layer golden vectors.

prepare <work>: writes the inputs of the Fortran drivers (edit_in.txt,
  read_in.txt with one file per read case under reads/, format_cases.f90).
assemble <work> <out>: pairs the drivers' outputs with the cases and writes
  edit_descriptors.txt, formats.txt and reads.txt under <out>.

File formats (every line ends in '|' where trailing blanks matter):
  edit_descriptors.txt  descriptor|value|record|   value: hex bits of a real64
                        or a decimal integer; descriptor "list" = list-directed
  formats.txt           blocks: "@@ format <text>" or "@@ list", item lines
                        "@@ i <int>", "@@ r <hex>", "@@ s <text>", "@@ expect",
                        the records verbatim, "@@ end"
  reads.txt             kind|escaped file bytes|OK v... or ERR
"""
import json
import math
import os
import random
import struct
import sys

SEED = 20261207


def bits(x):
    return '%016X' % struct.unpack('<Q', struct.pack('<d', x))[0]


def from_bits(h):
    return struct.unpack('<d', struct.pack('<Q', int(h, 16)))[0]


INF = float('inf')
NAN_BITS = '7FF8000000000000'


def special_reals():
    v = [0.0, -0.0, INF, -INF, 1.0, -1.0, 1.5, -1.5, 0.1, -0.1, 0.5, 2.0, 10.0, 100.0,
         0.09999999, 0.099999999999, 0.0999995, 0.099995, 0.09999, 0.099999, 0.1000001,
         0.99995, 0.999995, 9.9995, 99.995, 999.95, 9999.5, 9999.4, 9998.5, 9999.49,
         99999.5, 99999.4, 999999.5, 9999999.5, 99999999.5, 99999999.4, 999999999999.5,
         1234.5, 1235.5, 12345.5, 12344.5, 123456.5, 1234567.5, 12345678.5, 12345677.5,
         123456789012.5, 0.125, 0.375, 1.0e100, 1.0e-100, 1.5e100, 1.5e-100, 1.0e99,
         9.99999999e99, 9.999999999999e99, 9.9999e-100, 1.0e-99, 1.0e300, -1.0e300,
         1.0e-300, 1.7976931348623157e308, -1.7976931348623157e308, 2.2250738585072014e-308,
         2.225073858507201e-308, 5e-324, -5e-324, 1e-310, 4.9406564584124654e-324 * 3,
         1.0e16, 1.0e17, 9.999999999999999e16, 99999999999999999.0, 1.0e15, 123456789.0,
         3.14159265358979, 6.28318530717958, 2.718281828459045, 1.0 / 3.0, 2.0 / 3.0,
         1.0e-5, 1.0e-4, 1.0e-3, 0.01, 1.0e5, 1.0e6, 1.0e7, 1.0e8, 1.0e12, 1.0e13,
         0.15, 0.25, 0.35, 0.45, 1.05, 2.5e-8, 1.0e-8, 7.0e-9, 33.333, 1e-20, 1e20, 1e21,
         0.9999999999999999, 0.09999999999999999, 0.1 - 2**-56, 1e17 - 8, 1e17 + 16]
    for d in (4, 5, 6, 7, 8, 12):
        p = 10.0 ** d
        v += [p, p - 0.5, p - 0.4, p - 0.6, p * (1 - 2**-52), p - 10.0 ** (-2), 0.1 * (1 - 10.0 ** -(d + 1)),
              0.1 * (1 - 0.5 * 10.0 ** -d), 0.1 * (1 - 0.49 * 10.0 ** -d), -(p - 0.5)]
    return v


def ulps_around(x, n):
    out = [x]
    up = down = x
    for _ in range(n):
        up = math.nextafter(up, INF)
        down = math.nextafter(down, -INF)
        out += [up, down]
    return out


def boundary_reals(d):
    """Values within a few ulps of where the G form changes its number of
    decimals or switches to the E form, for d significant digits."""
    out = []
    r = 1 - 0.5 * 10.0 ** -d
    for k in range(-2, d + 2):
        out += ulps_around(10.0 ** k * r, 3)
        out += ulps_around(10.0 ** k, 2)
        out += ulps_around(10.0 ** k * (1 - 10.0 ** -d), 2)
    return out


def random_reals(rng, n):
    out = []
    for k in range(n):
        r = rng.random()
        if r < 0.6:
            x = rng.uniform(1, 10) * 10.0 ** rng.randint(-12, 12)
        elif r < 0.8:
            x = rng.uniform(0.05, 20000.0)
        elif r < 0.95:
            x = from_bits('%016X' % (rng.getrandbits(63)))
            if math.isnan(x) or math.isinf(x):
                x = 1.0
        else:
            # a decimal number with few digits: many exact halfway cases
            x = rng.randint(1, 99999) / 2.0 ** rng.randint(0, 12)
        if rng.random() < 0.4:
            x = -x
        out.append(x)
    return out


REAL_DESCRIPTORS = ['e12.5', 'e15.5', 'e15.6', 'e20.7', 'e20.8', 'e20.12', 'e12.4',
                    'g15.4', 'g15.5', 'g15.8', 'g20.8', 'e11.5', 'e10.4', 'g10.4', 'list']
INT_DESCRIPTORS = ['i5', 'i6', 'i7', 'i8']
INTS = [0, 1, -1, 7, 42, -42, 9999, -9999, 99999, -99999, 100000, -100000, 999999, 1000000,
        -999999, 9999999, -9999999, 10000000, 99999999, -99999999, 100000000, 2147483647,
        -2147483647, -2147483648, 12345, -1234, -12345, 603, 88888]


def edit_cases():
    rng = random.Random(SEED)
    cases = []
    for desc in REAL_DESCRIPTORS:
        for x in special_reals():
            cases.append((desc, bits(x)))
        cases.append((desc, NAN_BITS))
        cases.append((desc, 'FFF8000000000000'))
    for desc in REAL_DESCRIPTORS:
        d = 17 if desc == 'list' else int(desc.split('.')[1])
        for x in boundary_reals(d):
            cases.append((desc, bits(x)))
            cases.append((desc, bits(-x)))
    for desc in INT_DESCRIPTORS + ['list_i']:
        for i in INTS:
            cases.append((desc, str(i)))
    for desc, n in (('e20.8', 3000), ('g15.4', 3000), ('e12.5', 2000), ('list', 3000),
                    ('e20.12', 500), ('g20.8', 500), ('g15.5', 500), ('g15.8', 500),
                    ('e15.5', 300), ('e15.6', 300), ('e20.7', 300), ('e12.4', 300)):
        for x in random_reals(rng, n):
            cases.append((desc, bits(x)))
    return cases


# --- whole formats ---------------------------------------------------------
def R(x):
    return ('r', bits(x))


def I(v):
    return ('i', v)


def S(s):
    return ('s', s)


def format_cases():
    rng = random.Random(SEED + 1)
    c = [
        ("(/1x,' jsou = ',i5,'  ksou = ',i5)", [I(3), I(4)]),
        ("(/1x,' jw1 , jw2  in main = ',i5,4x,i5)", [I(1), I(600)]),
        ("(/1x,' dt  = ',e20.8,'  msec',//' delf = ',e20.8,'  khz'//,' delw = ',e20.8,'  2 pi*khz',//)",
         [R(0.125), R(0.0244140625), R(0.15339807878856412)]),
        ("(/1x,' frequency number ',i5,' frequency : ',e20.8)", [I(12), R(0.29296875)]),
        ("(1x,'jw  real sour, imag sour =',i7,2x,e15.5,2x,e15.5)", [I(12), R(-1.25e-3), R(3.5e-120)]),
        ("(2e15.6)", [R(1.2), R(-3.4e5)]),
        ("(2e20.8)", [R(x) for x in (0.0, 1.0, 0.5, -2.5, 1e-3, 7.0)]),
        ("(2e20.8)", [R(1.0), R(2.0), R(3.0)]),
        ("(e12.5)", [R(x) for x in (1.0, -0.0, 1e-14, 9.87654321)]),
        ("(g15.4)", [R(x) for x in (0.0, 1e-5, 0.5, 123.456, 1e5, -7.77)]),
        ("(g15.5,i5)", [R(0.0), I(1), R(10.0), I(2), R(123456.0), I(3)]),
        ("(/1x,' global error = ',e20.7, ' iter. number = ',i5,       ' denomin. = ',e20.7)",
         [R(1.5e-7), I(100), R(12.5)]),
        ("(/1x,' convergence  for freq. # ',i5,                                  ' achieved in ',i5,' inner iterations ',/,                        ' relative error value = ',e20.8/)",
         [I(600), I(37), R(9.1e-5)]),
        ("(/1x,'receiver i =',i5,3x,'irx & iry = ',2i5,/,15x,              'rx(i) & ry(i) = ', 2g15.8, '  m')",
         [I(1), I(2), I(3), R(15.0), R(1234.5678)]),
        ("(/1x,' freq. to compute  snapshots in freq.domain',/,            i5,3x,e20.8,' kHz')",
         [I(1), R(0.5), I(2), R(1.5), I(3), R(2.5)]),
        ("(/1x,' freq. to compute  snapshots in freq.domain',/,            i5,3x,e20.8,' kHz')", []),
        ("(/1x,' freq. indices for snapshots ',/,i5,2x,i5)", [I(1), I(40), I(2), I(41)]),
        ("(/1x,' freq. indices for snapshots ',/,i5,2x,i5)", []),
        ("(/1x,'  key==1 for type 1 source (tidal&crest paper) ;',       /1x,'      key==2 for type 2 source(gaussian derivative)             ;',i5,//)",
         [I(2)]),
        ("(/1x,' mat. number   density (ros)    bulk modulus (xkr)',        '   Shear modulus (xmur)'//)", []),
        ("(1x,i5,7x,e15.6,2x,e15.6,7x,e15.6/)", [I(1), R(2.2e6), R(1.5e-4), R(0.0)]),
        ("(/8x,i5,15x,e15.5,5x,e15.5)", [I(1), R(2.5), R(-1e200)]),
        ("(/1x,'tiempo=',g20.8)", [R(12.345678901)]),
        ("(/1x,'tiempo=',g20.8)", [R(0.0)]),
        ("(/1x,' processor grid size in the x-dir  hpx = ',g20.8,/,          1x, ' processor grid size in the y-dir  hpy  = ',g20.8)",
         [R(1000.0), R(0.05)]),
        ("(1x,' from  xi                     = ',e20.8,' m  ',/                 ' up to xf                     = ',e20.8,' m ',/                  ' from  yi                     = ',e20.8,' m  ',/                 ' up to yf                     = ',e20.8,' m ',/                  ' material type number  numat  = ',i5/)",
         [R(0.0), R(100.0), R(-1.0), R(50.0), I(2)]),
        ("(1x,'it''s',i5)", [I(5)]),
        ('(1x,"say ""hi""",i5)', [I(5)]),
        ("(10e12.4)", [R(rng.uniform(-100, 100)) for _ in range(23)]),
        ("(4e15.5)", [R(rng.uniform(-1, 1)) for _ in range(9)]),
        ("(3e20.12)", [R(1.0 / 3.0), R(2.0), R(-1e-200)]),
        ("(3e20.12)", [R(1.0 / 3.0), R(2.0), R(-1e-200), R(4.0)]),
        ("(2i5)", [I(k) for k in range(1, 6)]),
        ("(4i6)", [I(k * 1000) for k in range(1, 11)]),
        ("(3i7)", [I(-k * 12345) for k in range(1, 8)]),
        ("(2i5/)", [I(1), I(2), I(3)]),
        ("(2i5/)", [I(1), I(2), I(3), I(4)]),
        ("(i5)", []),
        ("('x',i5,'y')", []),
        ("('x',i5,'y')", [I(1), I(2)]),
        ("(2i5,'a',i5)", [I(1)]),
        ("('[',2(i5,'b'),'c')", [I(1)]),
        ("('[',2(i5,'b'),'c')", [I(1), I(2), I(3)]),
        ("('[',2(i5,'b'),'c',(i3,'d'))", [I(k) for k in range(1, 6)]),
        ("('[',2(i5,'b'),'c',2(i3,'d',i2),'e')", [I(k) for k in range(1, 6)]),
        ("('[',2(i5,'b'/),'c')", [I(1)]),
        ("('[',i5,'b',2x/)", [I(1)]),
        ("('[',i5,2x,/)", [I(1), I(2)]),
        ("(' [',1x,2x)", []),
        ("(2('[',i1,']'))", [I(1), I(2), I(3)]),
        ("(1x,i5,2(i3,'x'),i2)", [I(k) for k in range(1, 11)]),
        ("(1x,2(i2,2(e12.4,'x')),'/')", [I(1), R(1.0), R(2.0), I(2), R(3.0), R(4.0), I(3), R(5.0)]),
        ("(//)", []),
        ("(/)", []),
        ("(1x,'a',//,'b',/)", []),
        ("(5x,i5,5x)", [I(1), I(2)]),
        ("(' a',3x,' b',3x)", []),
        ("(/1x,i5)", [I(1), I(2)]),
        ("(/,i5,/)", [I(1), I(2), I(3)]),
        ("(1x,2(/,i3),'z')", [I(1), I(2), I(3), I(4), I(5)]),
        ("(i3,2(i2,3(i1)),i4)", [I(k % 10) for k in range(1, 25)]),
        ("(3(1x,i2))", [I(k) for k in range(1, 8)]),
        ("(e20.8,g15.4,i5)", [R(0.1), R(99.5), I(-1), R(-0.0), R(9999.5), I(0)]),
        ("(1x,a,i3)", [S('abc'), I(1), S(''), I(2)]),
        ("(1x,a5,'|',a2,'|')", [S('abc'), S('xyz')]),
    ]
    lists = [
        [],
        [I(1)],
        [I(1), I(2)],
        [I(1), I(2), R(0.5)],
        [I(-2147483647 - 1), I(2147483647)],
        [R(1.5)],
        [R(1.5), R(2.5)],
        [R(-0.0), R(0.0), R(1e-300), R(1e300)],
        [R(0.1), R(1e16), R(1e17), R(0.09)],
        [S(' enters outime')],
        [S(' xinic '), R(1500.0)],
        [S(' deltarecx '), R(12.5)],
        [S(' a'), S(' b')],
        [S('a'), S('b'), I(3), S('c'), R(2.0), S('d')],
        [I(1), S(' x ')],
        [R(1.5), S(' a'), I(3)],
        [S(' vertical comp snap number  nn= '), I(1)],
        [I(3), R(0.25), I(3), R(-0.5), I(3), R(1e-20), I(3), R(7.0), I(3), R(8.0), I(3), R(9.0), I(3), R(10.0)],
        [I(k) for k in range(1, 12)] + [R(1.5), R(2.5), R(3.5), R(4.5)],
        [S('')],
        [S(''), I(1)],
        [S("it's")],
        [R(INF), R(-INF), R(from_bits(NAN_BITS))],
    ]
    out = [('format', f, items) for f, items in c]
    out += [('list', None, items) for items in lists]
    return out


def fortran_item(item):
    kind, v = item
    if kind == 'i':
        return '(-2147483647-1)' if v == -2147483648 else str(v)
    if kind == 'r':
        return "transfer(int(z'%s',8),1d0)" % v
    return "'" + v.replace("'", "''") + "'"


def write_format_program(path, cases):
    with open(path, 'w') as f:
        f.write('program format_cases\n  implicit none\n')
        for n, (kind, fmt, items) in enumerate(cases):
            f.write("  write(6,'(a)') '@@ case %d'\n" % n)
            args = ', '.join(fortran_item(it) for it in items)
            unit_format = '*' if kind == 'list' else '"' + fmt.replace('"', '""') + '"'
            f.write('  write(6, %s)%s\n' % (unit_format, (' ' + args) if args else ''))
        f.write("  write(6,'(a)') '@@ case end'\nend program format_cases\n")


# --- reads -----------------------------------------------------------------
def read_cases():
    cases = []
    i5 = ['5', '    5', '  123', '12345', '123456', '-1234', '-12345', ' 1 2 ', '1 5', '', '     ',
          '+', '-', ' +', ' -', '  -  ', '    -', '-    ', '+    5', '-   7', '  -  3', '1    5',
          '+ 1', '- 1', '++1', '1-', '1+2', '1.5', 'x', 'abc', '\t7', '7\t', '0', '-0', '00007',
          '99999', '-9999', '2147483648', '12\r', '1\r', '   4\r', ' 3 # comment', '3x', '  3   x',
          '\x00', '1\x00', '\xff', '12' + 'a' * 100, '1,5', ',5', '1\r5', '-\x00', '- \x00',
          '+\x001', '-  ', '- ', ' - ', '  + ', '12,', '1 ,2']
    for s in i5:
        cases.append(('i5', s + '\n'))
    cases += [('i5', '\r5\n'), ('i5', ''), ('i5', '42'), ('i5', '\n'), ('i5', '17\r\n'), ('i5', '\r\n'),
              ('i5', '\n5\n')]
    reals = ['5', '2.', '2', '1.5', '-1.5', '1.5+3', '1.5-3', '1.5e', '1 5', '  -  3', '+', '-',
             '.', '-.', '+.e1', 'e5', 'e', 'd3', '-d3', '-e5', '1e', '1e+', '1e 5', '1 e5',
             '1.e-', '1+', '1-', '1.2.3', '1ee3', '1.5d0', '1.5D+3', '1.5q3', '1.5Q-3', '1.5E 3',
             '1.5 E3', '1.5e+ 3', '3*1.5', '1.5,2', '1;5', '\t7', '7\t', 'Infinity', 'inf',
             '-inf', '+Inf', 'INFINITY', 'infinit', 'in f', 'inf x', 'nan', 'NaN', '-nan',
             'nan()', 'nan(0x1)', 'nan(abc)', 'nan(a b)', 'nan(', 'nanx', '12345678', '.5',
             '5.e', '0x10', '1e400', '-1e400', '1e-400', '4.9e-324', '2.4e-324', '1e-310',
             '1.7976931348623157e308', '1.7976931348623159e308', '0.1', '0.30000000000000004',
             '123456789012345678901234', '1.23456789012345678901234', '1e99999999999',
             '1e-99999999999', '  0.25000000E+01', '     -0.12345678E-03', '0.15000000+101',
             '   0.0', '-0', '-0.0', '00000000000000000001', '99999999999999999999', '1.0 # c',
             '2.5\r', '1.5e3\r', '\x00', '1\x005', '\xe9', '1.0' + ' ' * 30 + 'x', ' ' * 19 + '5',
             ' ' * 19 + '5.', ' ' * 20 + '5', '1' * 20, '1' * 19 + '.', '1.5e-3 trailing text',
             '6.5e 2', '+ 5', '- .5', '1.5 d 2', '1 . 5', '.e', '+e', '-.e', 'e+5', '1e5.0',
             '1e+5+3', '1.5e0x', '3.0/', '3,0', '', '-   ', '+ ', '- ', '-  .', ' -  ', 'inf xyz',
             'infinity x', 'infx', 'infinityx', 'infin', 'nan x', 'nan() x', '-inf x', '  inf  ',
             'i', 'in', 'n', 'na', '-i', '1e999999999', '1e99999999', '1e9999999', '1e999999',
             '1e-99999999', '1e-9999999', '1e2147483647', '1e 9 9 9 9 9 9 9 9 9', '1,', ',', ',5',
             '1\r5', '\x005', '1.5e' + '0' * 15 + '1', 'e-99999', '-e99999', 'e9999', '0' * 19 + '1', '.' + '0' * 18 + '1']
    for kind in ('e20.8', 'e20.12'):
        for s in reals:
            cases.append((kind, s + '\n'))
        cases += [(kind, ''), (kind, '2.5'), (kind, '3.5\r\n'), (kind, '\n4.5\n')]
    triples = ['%20s%20s%20s' % ('1.0', '2.0', '3.0'),
               '    0.100000000000E+01   -0.250000000000E+00    0.333333333333E-99',
               '    0.100000000000E+01   -0.250000000000E+00',
               '    0.100000000000E+01',
               '1', '', '%20s%20s%20s' % ('1', '2', '3'),
               '%20s%20s%20s' % ('1.0', 'x', '3.0'),
               '%20s%20s%20s' % ('1.0', '2.0', '3.0  x'),
               '%20s%20s%20s' % ('1.0', '2.0', '3.0') + 'garbage',
               '%-20s%-20s%-20s' % ('1.0', '2.0', '3.0'),
               '    0.100000000000E+01\t-0.25',
               '%20s%20s%20s\r' % ('1.0', '2.0', '3.0'),
               '%20s%20s%19s\r' % ('1.0', '2.0', '3.0'),
               '1.0,2.0,3.0', '1,2,3', '1.0,,3.0', ',,', '1.0,2.0', '%20s,2.0,3.0' % '1.0',
               '%19s,2.0,3.0' % '1.0', '  1.5  ,  -2.5e1  , 7']
    for s in triples:
        cases.append(('3e20.12', s + '\n'))
    cases += [('3e20.12', ''), ('3e20.12', '%20s%20s%20s' % ('1.0', '2.0', '3.0'))]
    lists = ['5', '2.', '1.5', '-1.5', '1.5+3', '1.5d0', '1.5D-3', '1.5q0', '3*1.5', '3*', '0*5',
             '2*,3', ',', ',5', '/', '/5', ';', '1;5', '1.5,2', '1.5 2', '1.5/', '1.5e', '1.5E 3',
             '1.5 E3', '1.5e+', 'e5', '.5', '5.', '.', '+', '-', '+.5', '-.5e-3', '  5/', '\t7',
             '7\t8', 'Infinity', 'inf', '-inf', '+Infinity', 'nan', 'NaN', '-nan', 'nan()',
             'nan(0x1)', 'infx', 'inf,', 'inf/', 'nan 5', '1.5abc', 'abc', '0x10', '1e400',
             '1e-400', '12345678', '1.2.3', '1..', '1ee5', '1e5e5', "'5'", '"5"', '(1.0,2.0)',
             '1.5\r', '2*1.5', '1*1.5', '*1.5', '2**1.5', '1.5*2', '12345678901234567890',
             '0.1', '1.0000000000000001', '1.5e+03,2', '   -0.0', '1e5.0', '4.9e-324',
             '1.5e3x', 'T', '.true.', '1 # comment', '\x00', '\xe9', '\x005', '1\r5',
             '1e99999999999', '1e999999999', '1e-999999999', '1.5e' + '0' * 15 + '1', '3*,',
             '3* 4', '3*/', '2*inf', '-2*1.5', '+3*1.5', '3*-1.5', ' ,', ' /', '1.5 ,']
    for s in lists:
        cases.append(('list', s + '\n'))
    cases += [('list', ''), ('list', '\n'), ('list', '\n\n  \n\t\n3.25\n'), ('list', '\n \n'),
              ('list', '2.5'), ('list', '3.5\r\n'), ('list', '\r\n4.5\r\n'), ('list', ' \r\n'),
              ('list', '\n\n,\n'), ('list', '\n  7.5  8.5\n'), ('list', '\n,5\n'),
              ('list', '\n,\n5\n'), ('list', '\n/\n5\n'), ('list', '\n,,5\n'), ('list', '\n, ,5\n'),
              ('list', '\n;5\n'), ('list', '\x00\n5\n'), ('list', '\n\x00\n'), ('list', '\n , 6\n'),
              ('list', '\n\t,\t6\n'), ('list', '\n,\n,\n7\n'), ('list', '\n3*\n'), ('list', '\n3*1.5\n'),
              ('list', '\nx\n'), ('list', '\n,/\n'), ('list', '1\r5\n7\n'), ('list', '\r5\n')]
    return cases


def escape(data):
    out = []
    for ch in data:
        o = ord(ch)
        if ch == '\\':
            out.append('\\\\')
        elif ch == '|':
            out.append('\\x7c')
        elif ch == '\n':
            out.append('\\n')
        elif ch == '\r':
            out.append('\\r')
        elif ch == '\t':
            out.append('\\t')
        elif o < 0x20 or o >= 0x7f:
            out.append('\\x%02x' % o)
        else:
            out.append(ch)
    return ''.join(out)


def prepare(work):
    ecases = edit_cases()
    with open(os.path.join(work, 'edit_in.txt'), 'w') as f:
        for desc, v in ecases:
            f.write('%s %s\n' % (desc, v))
    fcases = format_cases()
    write_format_program(os.path.join(work, 'format_cases.f90'), fcases)
    rcases = read_cases()
    os.makedirs(os.path.join(work, 'reads'), exist_ok=True)
    with open(os.path.join(work, 'read_in.txt'), 'w') as f:
        for n, (kind, data) in enumerate(rcases):
            name = 'c%05d.txt' % n
            with open(os.path.join(work, 'reads', name), 'wb') as g:
                g.write(data.encode('latin-1'))
            f.write('%s %s\n' % (kind, name))
    with open(os.path.join(work, 'cases.json'), 'w') as f:
        json.dump({'edit': ecases, 'format': fcases, 'read': rcases}, f)


def assemble(work, out):
    with open(os.path.join(work, 'cases.json')) as f:
        cases = json.load(f)
    with open(os.path.join(work, 'edit_out.txt'), encoding='latin-1') as f:
        lines = f.read().split('\n')
    ecases = cases['edit']
    assert len(lines) == len(ecases) + 1, (len(lines), len(ecases))
    with open(os.path.join(out, 'edit_descriptors.txt'), 'w') as f:
        f.write('# descriptor|value|record|  (generated by tools/golden/generate.sh)\n')
        for (desc, v), rec in zip(ecases, lines):
            f.write('%s|%s|%s|\n' % (desc, v, rec))

    with open(os.path.join(work, 'format_out.txt'), encoding='latin-1') as f:
        text = f.read()
    blocks = {}
    current = None
    for line in text.split('\n'):
        if line.startswith('@@ case '):
            current = line[8:]
            blocks[current] = []
        elif current is not None:
            blocks[current].append(line)
    with open(os.path.join(out, 'formats.txt'), 'w') as f:
        f.write('# whole write statements (generated by tools/golden/generate.sh)\n')
        for n, (kind, fmt, items) in enumerate(cases['format']):
            f.write('@@ format %s\n' % fmt if kind == 'format' else '@@ list\n')
            for k, v in items:
                f.write('@@ %s %s\n' % (k, v))
            f.write('@@ expect\n')
            for rec in blocks[str(n)]:
                f.write(rec + '\n')
            f.write('@@ end\n')

    with open(os.path.join(work, 'read_out.txt')) as f:
        results = f.read().split('\n')
    rcases = cases['read']
    assert len(results) == len(rcases) + 1, (len(results), len(rcases))
    with open(os.path.join(out, 'reads.txt'), 'w') as f:
        f.write('# kind|file bytes (escaped)|result  (generated by tools/golden/generate.sh)\n')
        for (kind, data), res in zip(rcases, results):
            f.write('%s|%s|%s\n' % (kind, escape(data), res.strip()))


if __name__ == '__main__':
    if sys.argv[1] == 'prepare':
        prepare(sys.argv[2])
    else:
        assemble(sys.argv[2], sys.argv[3])
