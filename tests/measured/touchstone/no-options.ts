!> S11
!x 6: the option line (such as # GHz S MA R 50) is missing
[Version] 2.0
[Number of Ports] 1
[Number of Frequencies] 1
[Network Data]
1 0.5 0
[End]
