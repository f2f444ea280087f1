!> S11
!x 14: [Number of Noise Frequencies] says 3, [Noise Data] holds 2
[Version] 2.0
# GHz S RI R 50
[Number of Ports] 2
[Two-Port Data Order] 21_12
[Number of Frequencies] 1
[Number of Noise Frequencies] 3
[Network Data]
1 0.1 0 0.2 0 0.3 0 0.4 0
[Noise Data]
1 1.2 0.4 30 0.3
2 1.3 0.5 40 0.4
[End]
