! One reference per port read on an option line taken as version 1's, then
! [Version] 2.0, which allows one only: refused at the option line.
!> S11
!x 5: one reference impedance per port needs [Version] 2.1, not 2.0
# GHz S RI R 50 75
[Version] 2.0
[Number of Ports] 2
[Two-Port Data Order] 12_21
[Number of Frequencies] 1
[Network Data]
1 0 0 0 0 0 0 0 0
[End]
