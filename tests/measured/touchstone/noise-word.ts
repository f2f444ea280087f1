!> S11
!x 13: 'x' is not a number
[Version] 2.0
# GHz S RI R 50
[Number of Ports] 2
[Two-Port Data Order] 21_12
[Number of Frequencies] 1
[Number of Noise Frequencies] 2
[Network Data]
1 0.1 0 0.2 0 0.3 0 0.4 0
[Noise Data]
1 1.2 0.4 30 0.3
2 1.3 x 40 0.4
[End]
