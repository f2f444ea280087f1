!> S11
!x 4: unknown option '75'; one reference impedance per port needs [Version] 2.1
[Version] 2.0
# GHz S RI R 50 75
