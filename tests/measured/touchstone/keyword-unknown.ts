!> none
!x 4: unknown keyword [Ports]
[Version] 2.0
[Ports] 1
