!> S11
!x 10: expected 7 numbers for a frequency (the frequency and 3 complex values), found 9
[Version] 2.0
# GHz S RI R 50
[Number of Ports] 2
[Two-Port Data Order] 12_21
[Number of Frequencies] 1
[Matrix Format] Lower
[Network Data]
1 0.1 0 0.2 0 0.2 0 0.3 0
[End]
